#pragma once
// The simulated web's listeners: plain http on one port and TLS on another,
// each on 127.0.0.1 and on every blog site's address, a thread per
// connection, and the throw-away test CA the TLS listeners present.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

struct ssl_st;

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace halvane::sim {

class TTestCertificates;

class TSimListeners {
 public:
  // site -1 is 127.0.0.1; tls says which listener took the request.
  using THandler = std::function<void(int site, bool tls, const httplib::Request&, httplib::Response&)>;
  using TLogger = std::function<void(bool tls, const httplib::Request&, const httplib::Response&)>;
  // Whether a new TLS connection to connectionAddress ("https://ip:port/")
  // gets the certificate for a wrong name.
  using TBadCertificate = std::function<bool(std::string_view connectionAddress)>;

  // tlsDir: where the test CA and certificates go; empty: a temporary
  // folder, removed again by Stop().
  TSimListeners(int sites, std::string tlsDir, THandler handler, TLogger logger, TBadCertificate badCertificate);
  ~TSimListeners();
  TSimListeners(const TSimListeners&) = delete;
  TSimListeners& operator=(const TSimListeners&) = delete;

  // Makes the certificates and binds the plain listeners on port and the
  // TLS ones on httpsPort (0: a free port common to all addresses). Throws
  // std::runtime_error.
  void Bind(int port, int httpsPort);
  // Serves, and returns once every listener runs.
  void Run();
  // Closes the listeners, joins their threads, removes a temporary folder.
  void Stop();

  int Port() const { return FPort; }
  int HttpsPort() const { return FHttpsPort; }
  std::string CaFile() const;

 private:
  void MakeCertificates();
  std::unique_ptr<httplib::Server> NewListener(bool tls);
  // Picks the certificate of a new TLS connection (OpenSSL's cert callback).
  static int ChooseCertificate(ssl_st* ssl, void* self);
  // Listeners on every address, bound to port (0: any); empty when one
  // address refuses. *bound gets the port.
  std::vector<std::unique_ptr<httplib::Server>> BindAll(bool tls, int port, int* bound);
  static void Release(std::vector<std::unique_ptr<httplib::Server>>& servers);

  const int FSites;
  std::string FTlsDir;
  bool FOwnTlsDir = false;
  THandler FHandler;
  TLogger FLogger;
  TBadCertificate FBadCertificate;
  int FPort = 0;
  int FHttpsPort = 0;
  std::unique_ptr<TTestCertificates> FCertificates;
  std::vector<std::unique_ptr<httplib::Server>> FServers;
  std::vector<std::thread> FThreads;
};

}  // namespace halvane::sim
