#include "TSimListeners.h"

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <stdexcept>

#include "TSimWeb.h"
#include "TTestCertificates.h"
#include "TWorkerPool.h"

namespace halvane::sim {
namespace {

constexpr int kBindAttempts = 30;
// A thread per connection up to this many a listener; a client that sends
// nothing for the read timeout loses its connection.
constexpr std::size_t kThreadsPerListener = 128;
constexpr time_t kReadTimeoutSeconds = 5;
constexpr std::size_t kMaxPayload = 1u << 20;
// POSTs with longer paths are answered before their body is read.
constexpr std::size_t kMaxPostPath = 512;

}  // namespace

TSimListeners::TSimListeners(int sites, std::string tlsDir, THandler handler, TLogger logger,
                             TBadCertificate badCertificate)
    : FSites(sites),
      FTlsDir(std::move(tlsDir)),
      FHandler(std::move(handler)),
      FLogger(std::move(logger)),
      FBadCertificate(std::move(badCertificate)) {}

TSimListeners::~TSimListeners() { Stop(); }

void TSimListeners::Bind(int port, int httpsPort) {
  MakeCertificates();
  std::vector<std::unique_ptr<httplib::Server>> plain;
  for (int attempt = 0; attempt < (port == 0 ? kBindAttempts : 1) && plain.empty(); ++attempt) {
    plain = BindAll(false, port, &FPort);
  }
  if (plain.empty()) {
    throw std::runtime_error(port == 0 ? "no free port on all loopback addresses"
                                       : "cannot bind port " + std::to_string(port));
  }
  std::vector<std::unique_ptr<httplib::Server>> secure;
  for (int attempt = 0; attempt < (httpsPort == 0 ? kBindAttempts : 1) && secure.empty(); ++attempt) {
    secure = BindAll(true, httpsPort, &FHttpsPort);
  }
  if (secure.empty()) {
    Release(plain);
    throw std::runtime_error(httpsPort == 0 ? "no free https port on all loopback addresses"
                                            : "cannot bind https port " + std::to_string(httpsPort));
  }
  FServers = std::move(plain);
  for (auto& s : secure) FServers.push_back(std::move(s));
}

void TSimListeners::Run() {
  for (std::size_t i = 0; i < FServers.size(); ++i) {
    FThreads.emplace_back([s = FServers[i].get()] { s->listen_after_bind(); });
  }
  // A listener stopped before it runs would run on for good, and the port
  // is announced only when every address answers.
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  for (const auto& s : FServers) {
    while (!s->is_running()) {
      if (std::chrono::steady_clock::now() > until) throw std::runtime_error("a listener did not start");
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
}

void TSimListeners::Stop() {
  for (auto& s : FServers) s->stop();
  for (auto& t : FThreads) {
    if (t.joinable()) t.join();
  }
  FThreads.clear();
  FServers.clear();
  if (FCertificates && FOwnTlsDir) {
    // The CA is throw-away: nothing of it outlives a clean stop.
    for (const std::string& file : FCertificates->Files()) unlink(file.c_str());
    rmdir(FTlsDir.c_str());
  }
  FCertificates.reset();
}

std::string TSimListeners::CaFile() const { return FCertificates ? FCertificates->CaFile() : std::string(); }

void TSimListeners::MakeCertificates() {
  if (FTlsDir.empty()) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/halvane-sim-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a folder for the test CA in " + pattern);
    FTlsDir = pattern;
    FOwnTlsDir = true;
  } else if (mkdir(FTlsDir.c_str(), 0700) != 0 && errno != EEXIST) {
    throw std::runtime_error("cannot make the folder " + FTlsDir);
  }
  std::vector<std::string> ips{"127.0.0.1"};
  for (int site = 0; site < FSites; ++site) ips.push_back(TSimWeb::SiteIp(site));
  FCertificates = std::make_unique<TTestCertificates>(FTlsDir, ips, std::vector<std::string>{"*.sim.test", "localhost"});
}

std::unique_ptr<httplib::Server> TSimListeners::NewListener(bool tls) {
  if (!tls) return std::make_unique<httplib::Server>();
  auto s = std::make_unique<httplib::SSLServer>([this](SSL_CTX& ctx) {
    // No resumption: every connection shows its certificate, so a
    // tls-bad-cert rule meets a client that connected fine before.
    SSL_CTX_set_session_cache_mode(&ctx, SSL_SESS_CACHE_OFF);
    SSL_CTX_set_options(&ctx, SSL_OP_NO_TICKET | SSL_OP_NO_COMPRESSION);
    SSL_CTX_set_num_tickets(&ctx, 0);
    SSL_CTX_set_min_proto_version(&ctx, TLS1_2_VERSION);
    SSL_CTX_set_cert_cb(&ctx, &TSimListeners::ChooseCertificate, this);
    return SSL_CTX_use_certificate(&ctx, FCertificates->ServerCertificate()) == 1 &&
           SSL_CTX_use_PrivateKey(&ctx, FCertificates->ServerKey()) == 1;
  });
  if (!s->is_valid()) throw std::runtime_error("cannot set up the TLS listener");
  return s;
}

int TSimListeners::ChooseCertificate(SSL* ssl, void* self) {
  auto* listeners = static_cast<TSimListeners*>(self);
  sockaddr_in local{};
  socklen_t len = sizeof local;
  char ip[INET_ADDRSTRLEN] = {};
  if (getsockname(SSL_get_fd(ssl), reinterpret_cast<sockaddr*>(&local), &len) != 0 ||
      !inet_ntop(AF_INET, &local.sin_addr, ip, sizeof ip)) {
    return 1;  // the usual certificate
  }
  const TTestCertificates& certs = *listeners->FCertificates;
  // OpenSSL may ask again in one handshake (after a retry request): one
  // connection uses a rule once.
  if (SSL_get_certificate(ssl) == certs.WrongCertificate()) return 1;
  const std::string address = "https://" + std::string(ip) + ":" + std::to_string(ntohs(local.sin_port)) + "/";
  if (listeners->FBadCertificate(address)) {
    if (SSL_use_certificate(ssl, certs.WrongCertificate()) != 1 || SSL_use_PrivateKey(ssl, certs.WrongKey()) != 1) {
      return 0;
    }
  }
  return 1;
}

std::vector<std::unique_ptr<httplib::Server>> TSimListeners::BindAll(bool tls, int port, int* bound) {
  std::vector<std::unique_ptr<httplib::Server>> servers;
  bool ok = true;
  for (int site = -1; ok && site < FSites; ++site) {
    auto s = NewListener(tls);
    // Without SO_REUSEPORT: a second process must not share the port.
    s->set_socket_options([](socket_t sock) {
      int yes = 1;
      setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    const std::string ip = site < 0 ? "127.0.0.1" : TSimWeb::SiteIp(site);
    if (site < 0) {
      *bound = port == 0 ? s->bind_to_any_port(ip) : (s->bind_to_port(ip, port) ? port : -1);
      ok = *bound > 0;
      port = *bound;
    } else {
      ok = s->bind_to_port(ip, port);
    }
    if (!ok) break;
    s->new_task_queue = [] { return new TWorkerPool(kThreadsPerListener); };
    s->set_read_timeout(kReadTimeoutSeconds, 0);
    s->set_payload_max_length(kMaxPayload);
    s->set_logger([this, tls](const httplib::Request& req, const httplib::Response& res) { FLogger(tls, req, res); });
    s->set_pre_routing_handler([this, site, tls](const httplib::Request& req, httplib::Response& res) {
      if (req.method == "POST" && req.path.size() <= kMaxPostPath) {
        return httplib::Server::HandlerResponse::Unhandled;
      }
      FHandler(site, tls, req, res);
      return httplib::Server::HandlerResponse::Handled;
    });
    s->Post("/.*", [this, site, tls](const httplib::Request& req, httplib::Response& res) {
      FHandler(site, tls, req, res);
    });
    servers.push_back(std::move(s));
  }
  if (!ok) {
    Release(servers);
    servers.clear();
  }
  return servers;
}

void TSimListeners::Release(std::vector<std::unique_ptr<httplib::Server>>& servers) {
  // A bound listener only lets go of its socket when it ran.
  for (auto& s : servers) {
    std::atomic<bool> ended{false};
    std::thread t([&s, &ended] {
      s->listen_after_bind();
      ended = true;
    });
    while (!s->is_running() && !ended) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    s->stop();
    t.join();
  }
}

}  // namespace halvane::sim
