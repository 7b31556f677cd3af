#include "tests/app/TLoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

namespace halvane::test {

TLoopbackServer::TLoopbackServer(TScript script) : FScript(std::move(script)) {
  FListen = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  ::bind(FListen, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::listen(FListen, 16);
  socklen_t length = sizeof address;
  ::getsockname(FListen, reinterpret_cast<sockaddr*>(&address), &length);
  FPort = ntohs(address.sin_port);
  FAcceptor = std::thread([this] { AcceptLoop(); });
}

TLoopbackServer::~TLoopbackServer() {
  FStopping = true;
  ::shutdown(FListen, SHUT_RDWR);
  FAcceptor.join();
  {
    std::lock_guard<std::mutex> lock(FMutex);
    for (int s : FOpen) ::shutdown(s, SHUT_RDWR);
  }
  for (std::thread& worker : FWorkers) worker.join();
  ::close(FListen);
}

std::vector<std::string> TLoopbackServer::Targets() const {
  std::lock_guard<std::mutex> lock(FMutex);
  return FTargets;
}

void TLoopbackServer::AcceptLoop() {
  while (!FStopping) {
    pollfd p{FListen, POLLIN, 0};
    if (::poll(&p, 1, 50) <= 0) continue;
    const int s = ::accept(FListen, nullptr, nullptr);
    if (s < 0) continue;
    std::lock_guard<std::mutex> lock(FMutex);
    FOpen.push_back(s);
    FWorkers.emplace_back([this, s] { Serve(s); });
  }
}

void TLoopbackServer::Serve(int s) {
  std::string head;
  char buffer[4096];
  while (head.find("\r\n\r\n") == std::string::npos && !FStopping) {
    pollfd p{s, POLLIN, 0};
    if (::poll(&p, 1, 50) <= 0) continue;
    const ssize_t n = ::recv(s, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    head.append(buffer, static_cast<std::size_t>(n));
  }
  const std::size_t start = head.find(' ');
  const std::size_t end = start == std::string::npos ? start : head.find(' ', start + 1);
  const std::string target = end == std::string::npos ? std::string() : head.substr(start + 1, end - start - 1);
  {
    std::lock_guard<std::mutex> lock(FMutex);
    FTargets.push_back(target);
  }
  const TLoopbackReply reply = FScript(target);
  if (reply.DelayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(reply.DelayMs));
  if (reply.Silent) {
    ++FSilent;
    while (!FStopping) {
      pollfd p{s, POLLIN, 0};
      if (::poll(&p, 1, 50) > 0 && ::recv(s, buffer, sizeof buffer, 0) <= 0) break;
    }
  } else {
    std::string response = "HTTP/1.1 " + std::to_string(reply.Status) + (reply.Status < 400 ? " OK" : " Not Found") +
                           "\r\nContent-Type: text/html\r\nConnection: close\r\n";
    if (!reply.NoLength) response += "Content-Length: " + std::to_string(reply.Body.size()) + "\r\n";
    response += "\r\n" + reply.Body;
    std::size_t sent = 0;
    while (sent < response.size()) {
      const ssize_t n = ::send(s, response.data() + sent, response.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) break;
      sent += static_cast<std::size_t>(n);
    }
  }
  {
    std::lock_guard<std::mutex> lock(FMutex);
    std::erase(FOpen, s);
  }
  ::close(s);
}

}  // namespace halvane::test
