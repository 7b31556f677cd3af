#pragma once
// The server side of the simulated web: one HTTP listener on 127.0.0.1 for
// the engine and the services, one on each blog site's address, all on one
// port, with faults applied on request.
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "TFault.h"
#include "TFaultRules.h"
#include "TSimConfig.h"
#include "TSimWeb.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace halvane::sim {

class TSimServer {
 public:
  explicit TSimServer(TSimConfig config);
  ~TSimServer();
  TSimServer(const TSimServer&) = delete;
  TSimServer& operator=(const TSimServer&) = delete;

  // Binds every listener on port (0: a free port common to all addresses)
  // and starts serving; returns the port. Throws std::runtime_error.
  int Start(int port);
  // Ends waits in progress, closes the listeners and joins their threads.
  void Stop();

 private:
  struct TAnswer;

  bool TryBind(int port, int* bound);
  void Handle(int site, const httplib::Request& req, httplib::Response& res);
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
  void Deliver(const httplib::Request& req, httplib::Response& res, TAnswer answer, const TFault& fault);
  void Silence(const httplib::Request& req, httplib::Response& res, const TFault& fault);
  // Sleeps ms unless stopping; false when the server stops meanwhile.
  bool Pause(int ms);
  void Log(const httplib::Request& req, const httplib::Response& res);

  TSimConfig config_;
  std::unique_ptr<TSimWeb> web_;
  TFaultRules rules_;
  int port_ = 0;
  std::vector<std::unique_ptr<httplib::Server>> servers_;
  std::vector<std::thread> threads_;
  std::mutex waitMutex_;
  std::condition_variable waitWake_;
  std::atomic<bool> stopping_{false};
  std::mutex logMutex_;
};

}  // namespace halvane::sim
