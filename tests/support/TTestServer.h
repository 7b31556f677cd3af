#pragma once
// A loopback HTTP or HTTPS server for tests and benchmarks (cpp-httplib),
// on a free port of one 127.0.0.x address, serving on its own thread.
#include <httplib.h>

#include <memory>
#include <string>
#include <thread>

namespace halvane::test {

class TTestServer {
 public:
  // Plain http.
  explicit TTestServer(std::string address = "127.0.0.1");
  // https with that certificate and key.
  TTestServer(std::string address, X509* certificate, EVP_PKEY* key);
  ~TTestServer();
  TTestServer(const TTestServer&) = delete;
  TTestServer& operator=(const TTestServer&) = delete;

  // Add routes before the first request; the server listens from construction.
  httplib::Server& Routes() { return *FServer; }
  int Port() const { return FPort; }
  // "http(s)://address:port" + path.
  std::string Url(const std::string& path = "/") const;

 private:
  void Listen();

  std::string FScheme;
  std::string FAddress;
  std::unique_ptr<httplib::Server> FServer;
  int FPort = 0;
  std::thread FThread;
};

}  // namespace halvane::test
