#pragma once
// The server side of the simulated web: what each address answers, with
// faults applied on request, behind the listeners of TSimListeners.
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "TFault.h"
#include "TFaultRules.h"
#include "TRobotsFiles.h"
#include "TSimConfig.h"
#include "TSimListeners.h"
#include "TSimWeb.h"

namespace httplib {
struct Request;
struct Response;
}  // namespace httplib

namespace halvane::sim {


class TSimServer {
 public:
  // tlsDir: where the test CA and certificates go; empty: a temporary
  // folder, removed again by Stop().
  explicit TSimServer(TSimConfig config, std::string tlsDir = {});
  ~TSimServer();
  TSimServer(const TSimServer&) = delete;
  TSimServer& operator=(const TSimServer&) = delete;

  // Makes the test certificates, binds every plain listener on port and
  // every TLS listener on httpsPort (0: a free port common to all
  // addresses) and starts serving; returns the plain port. Throws
  // std::runtime_error.
  int Start(int port, int httpsPort = 0);
  int HttpsPort() const;
  // The CA certificate file clients verify the TLS listeners with.
  std::string CaFile() const;
  // Ends waits in progress, closes the listeners and joins their threads.
  void Stop();

 private:
  struct TAnswer;

  void Handle(int site, bool tls, const httplib::Request& req, httplib::Response& res);
  TAnswer Route(int site, const std::string& method, std::string_view target,
                const httplib::Request& req);
  TAnswer RouteService(const std::string& method, std::string_view target, const httplib::Request& req);
  TAnswer RouteSite(int site, std::string_view target);
  // The live services (SearXNG-, Brave- and Open PageRank-style); nothing
  // when target asks none of them.
  std::optional<TAnswer> LiveService(const std::string& method, std::string_view target, const httplib::Request& req);
  // A live service's own error answer for a fault's status.
  std::optional<TAnswer> LiveServiceError(const std::string& method, std::string_view target, int status);
  TAnswer Search(std::string_view target);
  TAnswer PageRank(std::string_view target);
  TAnswer News(std::string_view path, const httplib::Request& req);
  TAnswer Control(const std::string& method, std::string_view target, const httplib::Request& req);
  TAnswer RobotsControl(const std::string& method, std::string_view target, const httplib::Request& req);
  void Deliver(const httplib::Request& req, httplib::Response& res, TAnswer answer, const TFault& fault);
  void Silence(const httplib::Request& req, httplib::Response& res, const TFault& fault);
  // Sleeps ms unless stopping; false when the server stops meanwhile.
  bool Pause(int ms);
  void Log(bool tls, const httplib::Request& req, const httplib::Response& res);

  TSimConfig config_;
  std::unique_ptr<TSimWeb> web_;
  TFaultRules rules_;
  TRobotsFiles robots_;
  int port_ = 0;
  std::string tlsDir_;
  std::unique_ptr<TSimListeners> listeners_;
  std::mutex waitMutex_;
  std::condition_variable waitWake_;
  std::atomic<bool> stopping_{false};
  std::mutex logMutex_;
};

}  // namespace halvane::sim
