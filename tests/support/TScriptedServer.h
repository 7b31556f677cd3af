#pragma once
// A loopback HTTP server for tests that plays canned replies: each accepted
// connection runs the next script (read a request, send bytes at once or one
// by one with delays, pause, fall silent, close) and every request's exact
// bytes are recorded.
#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/TSocket.h"

namespace halvane::test {

class TConnectionScript {
 public:
  struct TStep {
    enum class TKind { Expect, Send, Drip, Pause, Silence } kind;
    std::string bytes;
    int delayMs = 0;
  };

  // Reads one request (head, and a body of its Content-Length).
  TConnectionScript& Expect() { return Add({TStep::TKind::Expect, {}, 0}); }
  TConnectionScript& Send(std::string bytes) { return Add({TStep::TKind::Send, std::move(bytes), 0}); }
  // Sends byte by byte, delayMs between bytes.
  TConnectionScript& Drip(std::string bytes, int delayMs) { return Add({TStep::TKind::Drip, std::move(bytes), delayMs}); }
  TConnectionScript& Pause(int ms) { return Add({TStep::TKind::Pause, {}, ms}); }
  // Sends nothing more and keeps the connection open until the client closes.
  TConnectionScript& Silence() { return Add({TStep::TKind::Silence, {}, 0}); }
  // After the last step the server closes the connection.

  const std::vector<TStep>& Steps() const { return steps_; }

 private:
  TConnectionScript& Add(TStep step) {
    steps_.push_back(std::move(step));
    return *this;
  }
  std::vector<TStep> steps_;
};

class TScriptedServer {
 public:
  TScriptedServer();
  ~TScriptedServer();
  TScriptedServer(const TScriptedServer&) = delete;
  TScriptedServer& operator=(const TScriptedServer&) = delete;

  int Port() const { return listener_.Port(); }
  // "http://127.0.0.1:<port>" followed by path.
  std::string Url(const std::string& path = "/") const;

  // The script of the next connection to be accepted (in order of calls).
  TConnectionScript& NextConnection();
  // A script for the reply to one request: Expect, then Send(reply).
  void Reply(std::string reply);

  // The requests received so far, each exactly as sent.
  std::vector<std::string> Requests() const;
  int ConnectionCount() const { return connections_; }
  // Waits until at least n requests are in (or the time is up).
  bool WaitForRequests(std::size_t n, int timeoutMs = 5000) const;

 private:
  void Run();
  void Serve(int fd, const TConnectionScript& script);
  bool ReadRequest(int fd, std::string& pending);

  platform::TListenSocket listener_;
  mutable std::mutex mutex_;
  std::deque<TConnectionScript> scripts_;
  std::vector<std::string> requests_;
  std::atomic<int> connections_{0};
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace halvane::test
