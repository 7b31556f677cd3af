#include "TSimServer.h"

#include <httplib.h>
#include <sys/socket.h>

#include <chrono>
#include <iostream>
#include <stdexcept>

#include "ConnectionSocket.h"
#include "SimText.h"
#include "TBraveService.h"
#include "TNewsService.h"
#include "TModernBlog.h"
#include "TOpenPageRankService.h"
#include "TSearxngService.h"
#include "TSearchEngine.h"
#include "TTrancoDownload.h"
#include "UrlHashReference.h"

namespace halvane::sim {

struct TSimServer::TAnswer {
  using THeaders = std::vector<std::pair<std::string, std::string>>;
  // A constructor rather than an aggregate: most answers name only the first fields.
  TAnswer(int status = 200, std::string contentType = "text/html", std::string body = {}, std::string location = {},
          THeaders headers = {})
      : status(status),
        contentType(std::move(contentType)),
        body(std::move(body)),
        location(std::move(location)),
        headers(std::move(headers)) {}

  int status = 200;
  std::string contentType = "text/html";
  std::string body;
  std::string location;
  THeaders headers;
};

namespace {

constexpr std::uint64_t kMaxBodySize = 16ull << 20;
constexpr std::size_t kDefaultPiece = 1024;
constexpr std::string_view kMarker = "_fault=";
constexpr std::string_view kRedirectPrefix = "/_sim/redirect/";

const char* Reason(int status) {
  switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 414: return "URI Too Long";
    case 500: return "Internal Server Error";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    default: return "Status";
  }
}

std::string StatusPage(int status) {
  const std::string code = std::to_string(status);
  return "<html><head><title>" + code + "</title></head><body><h1>" + code + " " + Reason(status) +
         "</h1></body></html>\n";
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// Cuts a "_fault=FAULTS" query item out of target; faults gets its decoded value.
bool CutMarker(std::string& target, std::string* faults) {
  std::size_t at = 0;
  while ((at = target.find(kMarker, at)) != std::string::npos) {
    if (at > 0 && (target[at - 1] == '?' || target[at - 1] == '&')) break;
    ++at;
  }
  if (at == std::string::npos) return false;
  std::size_t end = target.find('&', at);
  if (end == std::string::npos) end = target.size();
  *faults = DecodePercent(std::string_view(target).substr(at + kMarker.size(), end - at - kMarker.size()), false);
  if (target[at - 1] == '&') {
    target.erase(at - 1, end - at + 1);
  } else if (end < target.size()) {
    target.erase(at, end - at + 1);
  } else {
    target.erase(at - 1);
  }
  return true;
}

// Puts a marker back onto target (for the rest of a redirect chain).
std::string WithMarker(const std::string& target, const std::string& faults) {
  if (faults.empty()) return target;
  return target + (target.find('?') == std::string::npos ? "?" : "&") + std::string(kMarker) + faults;
}

}  // namespace

TSimServer::TSimServer(TSimConfig config, std::string tlsDir)
    : config_(std::move(config)), tlsDir_(std::move(tlsDir)) {}

TSimServer::~TSimServer() { Stop(); }

int TSimServer::Start(int port, int httpsPort) {
  for (const std::string& rule : config_.faultRules) {
    // Config rules are added in order, so the first line matches first.
    std::string lines = rules_.List() + rule + "\n";
    const std::string error = rules_.Replace(lines);
    if (!error.empty()) throw std::runtime_error("fault rule \"" + rule + "\": " + error);
  }
  for (const auto& [site, file] : config_.robots) robots_.Set(site, file);
  listeners_ = std::make_unique<TSimListeners>(
      config_.sites, tlsDir_,
      [this](int site, bool tls, const httplib::Request& req, httplib::Response& res) { Handle(site, tls, req, res); },
      [this](bool tls, const httplib::Request& req, const httplib::Response& res) { Log(tls, req, res); },
      [this](std::string_view connection) { return rules_.TakeBadCertificate(connection); });
  listeners_->Bind(port, httpsPort);
  port_ = listeners_->Port();
  web_ = std::make_unique<TSimWeb>(config_, port_);
  listeners_->Run();
  return port_;
}

void TSimServer::Stop() {
  {
    const std::lock_guard lock(waitMutex_);
    stopping_ = true;
  }
  waitWake_.notify_all();
  if (listeners_) listeners_->Stop();
}

int TSimServer::HttpsPort() const { return listeners_ ? listeners_->HttpsPort() : 0; }

std::string TSimServer::CaFile() const { return listeners_ ? listeners_->CaFile() : std::string(); }

bool TSimServer::Pause(int ms) {
  std::unique_lock lock(waitMutex_);
  return !waitWake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping_.load(); });
}

void TSimServer::Log(bool tls, const httplib::Request& req, const httplib::Response& res) {
  const std::lock_guard lock(logMutex_);
  std::cerr << req.method << ' ' << (tls ? "https://" : "") << req.local_addr << ' ' << req.target << ' '
            << res.status << std::endl;
}

void TSimServer::Handle(int site, bool tls, const httplib::Request& req, httplib::Response& res) {
  std::string target = req.target;
  const std::string origin =
      std::string(tls ? "https://" : "http://") + req.local_addr + ":" + std::to_string(req.local_port);
  const std::string address = origin + target;

  // The last hop of a redirect chain serves its target untouched by rules.
  bool viaChain = false;
  if (StartsWith(target, kRedirectPrefix)) {
    const std::string_view rest = std::string_view(target).substr(kRedirectPrefix.size());
    const std::size_t slash = rest.find('/');
    const auto left = ParseDecimal(rest.substr(0, slash), 100);
    if (!left || slash == std::string_view::npos) {
      Deliver(req, res, {400, "text/plain", "bad redirect hop\n", {}}, {});
      return;
    }
    const std::string next(rest.substr(slash));
    // An absolute target ("/https://host:port/...") is where the last hop goes.
    const bool absolute = StartsWith(next, "/http://") || StartsWith(next, "/https://");
    if (absolute && *left <= 1) {
      Deliver(req, res, {302, "text/html", StatusPage(302), next.substr(1)}, {});
      return;
    }
    if (*left > 0) {
      TAnswer hop{302, "text/html", StatusPage(302),
                  origin + std::string(kRedirectPrefix) + std::to_string(*left - 1) + next};
      Deliver(req, res, std::move(hop), {});
      return;
    }
    target = next;
    viaChain = true;
  }

  TFault fault;
  std::string faults;
  if (CutMarker(target, &faults)) {
    std::string error;
    auto parsed = ParseFault(faults, &error);
    if (parsed && parsed->tlsBadCert) {
      parsed.reset();
      error = "tls-bad-cert is chosen when a connection opens: set it as a rule";
    }
    if (!parsed) {
      Deliver(req, res, {400, "text/plain", "bad fault: " + error + "\n", {}}, {});
      return;
    }
    fault = *parsed;
  } else if (!viaChain && !StartsWith(target, "/_sim/")) {
    if (auto ruled = rules_.Take(address)) fault = *ruled;
  }

  if (fault.silent) {
    Silence(req, res, fault);
    return;
  }
  if (fault.headDelayMs > 0 && !Pause(fault.headDelayMs)) {
    Deliver(req, res, {503, "text/plain", "stopping\n", {}}, {});
    return;
  }
  if (fault.redirects > 0) {
    TFault rest = fault;
    rest.redirects = 0;
    rest.headDelayMs = 0;
    const std::string restFaults = FormatFault(rest);
    const std::string next = faults.empty() ? target : WithMarker(target, restFaults);
    TAnswer hop{302, "text/html", StatusPage(302),
                origin + std::string(kRedirectPrefix) + std::to_string(fault.redirects - 1) + next};
    Deliver(req, res, std::move(hop), {});
    return;
  }

  TAnswer answer = Route(site, req.method, target, req);
  if (fault.status != 0) {
    answer = site < 0 ? LiveServiceError(req.method, target, fault.status).value_or(TAnswer{}) : TAnswer{};
    if (answer.body.empty()) answer = {fault.status, "text/html", StatusPage(fault.status), {}, {}};
  }
  Deliver(req, res, std::move(answer), fault);
}

TSimServer::TAnswer TSimServer::Route(int site, const std::string& method, std::string_view target,
                                      const httplib::Request& req) {
  if (StartsWith(target, "/_sim/")) return Control(method, target, req);
  if (site >= 0) {
    if (method != "GET") return {405, "text/html", StatusPage(405), {}};
    return RouteSite(site, target);
  }
  return RouteService(method, target, req);
}

TSimServer::TAnswer TSimServer::RouteService(const std::string& method, std::string_view target,
                                             const httplib::Request& req) {
  if (auto live = LiveService(method, target, req)) return std::move(*live);
  const std::string_view path = target.substr(0, target.find('?'));
  if (method == "POST") {
    if (path.size() >= 16 && (path.ends_with("/getlastnews.php") || path.ends_with("/getnewsdetails.php"))) {
      return News(path, req);
    }
    return {404, "text/html", StatusPage(404), {}};
  }
  if (method != "GET") return {405, "text/html", StatusPage(405), {}};
  if (path == "/search") {
    return QueryValue(target, "client") == "navclient-auto" ? PageRank(target) : Search(target);
  }
  if (StartsWith(target, "/siteinfo/")) {
    return {200, "text/html", web_->RenderRankingPage(target.substr(10)), {}};
  }
  if (path == "/liveupdate/halvane/mainappupdate.inf") {
    return {200, "text/plain", web_->RenderUpdateDescription(), {}};
  }
  if (path == "/top-1m.csv" || path == "/top-1m.csv.zip") {
    const TTrancoDownload tranco(*web_);
    TAnswer::THeaders modified = {{"Last-Modified", std::string(TTrancoDownload::kLastModified)}};
    return path == "/top-1m.csv" ? TAnswer{200, "text/csv", tranco.Csv(), {}, std::move(modified)}
                                 : TAnswer{200, "application/zip", tranco.Zip(), {}, std::move(modified)};
  }
  if (path == "/top-1m-id") return {200, "text/plain", TTrancoDownload(*web_).ListId(), {}};
  if (path == "/") {
    return {200, "text/html",
            "<html><head><title>Sim Search</title></head><body><form action=\"/search\">"
            "<input name=\"q\"><input type=\"submit\" name=\"btnG\" value=\"Search\"></form></body></html>\n",
            {}};
  }
  return {404, "text/html", StatusPage(404), {}};
}

std::optional<TSimServer::TAnswer> TSimServer::LiveService(const std::string& method, std::string_view target,
                                                          const httplib::Request& req) {
  TServiceRequest request{method, std::string(target), {req.headers.begin(), req.headers.end()}, req.body};
  std::optional<TServiceReply> reply;
  if (TSearxngService::Asks(method, target)) reply = TSearxngService(*web_).Reply(request);
  if (TBraveService::Asks(method, target)) reply = TBraveService(*web_).Reply(request);
  if (TOpenPageRankService::Asks(method, target)) reply = TOpenPageRankService(*web_).Reply(request);
  if (!reply) return std::nullopt;
  return TAnswer{reply->Status, reply->ContentType, std::move(reply->Body), {}, std::move(reply->Headers)};
}

std::optional<TSimServer::TAnswer> TSimServer::LiveServiceError(const std::string& method, std::string_view target,
                                                               int status) {
  std::optional<TServiceReply> reply;
  if (TSearxngService::Asks(method, target)) reply = TSearxngService::Error(status);
  if (TBraveService::Asks(method, target)) reply = TBraveService::Error(status);
  if (TOpenPageRankService::Asks(method, target)) reply = TOpenPageRankService::Error(status);
  if (!reply) return std::nullopt;
  return TAnswer{reply->Status, reply->ContentType, std::move(reply->Body), {}, std::move(reply->Headers)};
}

TSimServer::TAnswer TSimServer::RouteSite(int site, std::string_view target) {
  const std::string_view path = target.substr(0, target.find_first_of("?&"));
  // "/?p=N" redirects to the post's permalink, as WordPress does.
  if (const auto permalink = TModernBlog(*web_).ShortLinkPath(site, target)) {
    return {301, "text/html", "", *permalink};
  }
  if (path == "/") return {200, "text/html", web_->RenderHomePage(site), {}};
  if (path == "/robots.txt") {
    TRobotsFile file = robots_.Answer(TSimWeb::SiteIp(site));
    if (file.Status == 404 && file.Body.empty()) return {404, "text/html", StatusPage(404), {}};
    return {file.Status, "text/plain", std::move(file.Body), {}};
  }
  if (StartsWith(path, "/wp-content/") && web_->SiteIsWordPress(site)) {
    return {200, "text/css", "body { font-family: serif; }\n", {}};
  }
  if (StartsWith(path, "/blog/")) {
    if (const auto page = web_->FindPage(site, target)) return {200, "text/html", web_->RenderPage(*page), {}};
  }
  // The same posts in modern markup, for live mode.
  const TModernBlog modern(*web_);
  if (const auto page = modern.FindPage(site, target)) return {200, "text/html", modern.Render(*page), {}};
  return {404, "text/html", StatusPage(404), {}};
}

TSimServer::TAnswer TSimServer::Search(std::string_view target) {
  const std::string keyword =
      TSearchEngine::KeywordOfQuery(DecodePercent(QueryValue(target, "q"), true));
  const auto start = ParseDecimal(QueryValue(target, "start"), 1000000);
  const int page = start ? static_cast<int>(*start / TSearchEngine::kResultsPerPage) : 0;
  return {200, "text/html", TSearchEngine(*web_).RenderResultPage(keyword, page), {}};
}

TSimServer::TAnswer TSimServer::PageRank(std::string_view target) {
  // q is the raw rest of the target: pages are sent unencoded and may hold
  // "&" themselves.
  const std::size_t qAt = target.find("&q=");
  const std::string_view ch = QueryValue(target, "ch");
  if (qAt == std::string_view::npos || ch.size() < 2 || ch.front() != '6') return {200, "text/html", "", {}};
  const std::string_view q = target.substr(qAt + 3);
  const auto checksum = ParseDecimal(ch.substr(1), 0xFFFFFFFFu);
  const bool valid = checksum && StartsWith(q, "info:") &&
                     (*checksum == test::ReferenceUrlHash(q, false) ||
                      *checksum == test::ReferenceUrlHash(q, true));
  if (!valid) return {200, "text/html", "", {}};
  return {200, "text/html", "Rank_1:1:" + std::to_string(web_->RankOf(q.substr(5))) + "\n", {}};
}

TSimServer::TAnswer TSimServer::News(std::string_view path, const httplib::Request& req) {
  std::map<std::string, std::string> fields;
  for (const auto& [name, part] : req.files) fields.emplace(name, part.content);
  const std::string_view script = path.substr(path.rfind('/') + 1);
  return {200, "text/html", TNewsService(config_).Reply(script, fields), {}};
}

TSimServer::TAnswer TSimServer::Control(const std::string& method, std::string_view target,
                                        const httplib::Request& req) {
  const std::string_view path = target.substr(0, target.find('?'));
  if (path == "/_sim/robots") return RobotsControl(method, target, req);
  if (path == "/_sim/faults") {
    if (method == "GET") return {200, "text/plain", rules_.List(), {}};
    if (method == "DELETE") {
      rules_.Clear();
      return {200, "text/plain", "", {}};
    }
    if (method == "POST") {
      const std::string error = rules_.Replace(req.body);
      if (!error.empty()) return {400, "text/plain", error + "\n", {}};
      return {200, "text/plain", rules_.List(), {}};
    }
    return {405, "text/plain", "", {}};
  }
  if (method != "GET") return {405, "text/plain", "", {}};
  if (path == "/_sim/info") {
    std::string info = "port=" + std::to_string(port_) + "\nhttps-port=" + std::to_string(HttpsPort()) +
                       "\nca-file=" + CaFile() + "\nsites=" + std::to_string(config_.sites) + "\n";
    for (int s = 0; s < config_.sites; ++s) info += "site=" + web_->SiteHost(s) + "\n";
    info += "user-domain=" + config_.userDomain + "\nimage-search-prefix=" + web_->ImageSearchPrefix() + "\n";
    return {200, "text/plain", info, {}};
  }
  if (path == "/_sim/body") {
    const auto size = ParseDecimal(QueryValue(target, "size"), kMaxBodySize);
    if (!size) return {400, "text/plain", "size=0.." + std::to_string(kMaxBodySize) + "\n", {}};
    std::string body(static_cast<std::size_t>(*size), '\0');
    for (std::size_t i = 0; i < body.size(); ++i) {
      body[i] = static_cast<char>('a' + i % 26);
      if (i % 64 == 63) body[i] = '\n';
    }
    return {200, "text/plain", std::move(body), {}};
  }
  return {404, "text/plain", "", {}};
}

TSimServer::TAnswer TSimServer::RobotsControl(const std::string& method, std::string_view target,
                                              const httplib::Request& req) {
  if (method == "GET") return {200, "text/plain", robots_.List(), {}};
  if (method == "DELETE") {
    robots_.Clear();
    return {200, "text/plain", "", {}};
  }
  if (method != "POST") return {405, "text/plain", "", {}};
  const std::string_view status = QueryValue(target, "status");
  std::string error;
  auto entry = ParseRobotsEntry(DecodePercent(QueryValue(target, "site"), false) + " " +
                                    std::string(status.empty() ? "200" : status),
                                &error);
  if (!entry) return {400, "text/plain", error + "\n", {}};
  entry->second.Body = req.body;
  robots_.Set(entry->first, std::move(entry->second));
  return {200, "text/plain", robots_.List(), {}};
}

void TSimServer::Deliver(const httplib::Request& req, httplib::Response& res, TAnswer answer,
                         const TFault& fault) {
  res.status = answer.status;
  if (!answer.location.empty()) res.set_header("Location", answer.location);
  for (const auto& [name, value] : answer.headers) res.set_header(name, value);
  const auto body = std::make_shared<const std::string>(std::move(answer.body));
  const bool pieced = fault.pieceSize > 0 || fault.pieceDelayMs > 0 || fault.chunked || fault.drop ||
                      fault.untilClose;
  const std::size_t piece = fault.pieceSize > 0 ? fault.pieceSize : kDefaultPiece;
  const int delay = fault.pieceDelayMs;

  if (!pieced) {
    res.set_content(*body, answer.contentType);
    return;
  }
  if (fault.untilClose) {
    const int fd = FindConnectionSocket(req.local_addr, req.local_port, req.remote_addr, req.remote_port);
    if (fd < 0) {
      res.status = 500;
      res.set_content("connection not found\n", "text/plain");
      return;
    }
    std::string head = "HTTP/1.1 " + std::to_string(answer.status) + " " + Reason(answer.status) +
                       "\r\nContent-Type: " + answer.contentType + "\r\n";
    if (!answer.location.empty()) head += "Location: " + answer.location + "\r\n";
    for (const auto& [name, value] : answer.headers) head += name + ": " + value + "\r\n";
    head += "Connection: close\r\n\r\n";
    // Over TLS the bytes go through the connection's session, which the
    // library hands over read-only but does not use while the handler runs.
    SSL* ssl = const_cast<SSL*>(req.ssl);
    const auto write = [fd, ssl](std::string_view bytes) {
      if (!ssl) return WriteAll(fd, bytes);
      return bytes.empty() || SSL_write(ssl, bytes.data(), static_cast<int>(bytes.size())) > 0;
    };
    bool ok = write(head);
    for (std::size_t at = 0; ok && at < body->size(); at += piece) {
      if (at > 0 && delay > 0 && !Pause(delay)) break;
      ok = write(std::string_view(*body).substr(at, piece));
    }
    if (ssl && ok) SSL_shutdown(ssl);
    HangUp(fd);
    return;
  }
  if (fault.chunked) {
    res.set_chunked_content_provider(answer.contentType, [this, body, piece, delay](std::size_t offset, httplib::DataSink& sink) {
      if (offset >= body->size()) {
        sink.done();
        return true;
      }
      if (offset > 0 && delay > 0 && !Pause(delay)) return false;
      const std::size_t n = std::min(piece, body->size() - offset);
      return sink.write(body->data() + offset, n);
    });
    return;
  }
  const std::size_t limit = !fault.drop ? body->size()
                            : fault.dropAfter == static_cast<std::size_t>(-1) ? body->size() / 2
                                                                               : std::min(fault.dropAfter, body->size());
  res.set_content_provider(body->size(), answer.contentType,
                           [this, body, piece, delay, limit](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                             if (offset >= limit) return false;  // hang up mid-body
                             if (offset > 0 && delay > 0 && !Pause(delay)) return false;
                             const std::size_t n = std::min({piece, length, limit - offset});
                             return sink.write(body->data() + offset, n);
                           });
}

void TSimServer::Silence(const httplib::Request& req, httplib::Response& res, const TFault& fault) {
  const int fd = FindConnectionSocket(req.local_addr, req.local_port, req.remote_addr, req.remote_port);
  if (fd >= 0) {
    WaitForPeerClose(fd, fault.silentMs, [this] { return stopping_.load(); });
    HangUp(fd);
  } else {
    Pause(fault.silentMs);
  }
  res.status = 504;
  // Whatever the library still writes goes nowhere or ends at once.
  res.set_content_provider(1, "text/plain", [](std::size_t, std::size_t, httplib::DataSink&) { return false; });
}

}  // namespace halvane::sim
