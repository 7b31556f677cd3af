#pragma once
// A loopback HTTP server for the tests: answers each request from a script
// function, or holds the connection open without a word (a silent server).
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace halvane::test {

struct TLoopbackReply {
  int Status = 200;
  std::string Body;
  bool Silent = false;        // never answer
  bool NoLength = false;      // body ends when the connection closes
  int DelayMs = 0;            // wait before answering
};

class TLoopbackServer {
 public:
  using TScript = std::function<TLoopbackReply(const std::string& target)>;

  explicit TLoopbackServer(TScript script);
  ~TLoopbackServer();

  std::string HostPort() const { return "127.0.0.1:" + std::to_string(FPort); }
  // Request targets (path and query) in arrival order.
  std::vector<std::string> Targets() const;
  int SilentConnections() const { return FSilent; }

 private:
  void AcceptLoop();
  void Serve(int socket);

  TScript FScript;
  int FListen = -1;
  int FPort = 0;
  std::atomic<bool> FStopping{false};
  std::atomic<int> FSilent{0};
  mutable std::mutex FMutex;
  std::vector<std::string> FTargets;
  std::vector<int> FOpen;
  std::vector<std::thread> FWorkers;
  std::thread FAcceptor;
};

}  // namespace halvane::test
