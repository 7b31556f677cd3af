#include "tests/support/TScriptedServer.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

namespace halvane::test {

namespace {

// Waits for input on fd in short slices so that the server can stop.
bool WaitInput(int fd, const std::atomic<bool>& stop) {
  while (!stop) {
    pollfd entry{fd, POLLIN, 0};
    if (::poll(&entry, 1, 20) > 0) return true;
  }
  return false;
}

bool SendAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

std::size_t ContentLength(const std::string& head) {
  std::string lower(head);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const auto at = lower.find("\r\ncontent-length:");
  if (at == std::string::npos) return 0;
  return static_cast<std::size_t>(std::strtoull(lower.c_str() + at + 17, nullptr, 10));
}

}  // namespace

TScriptedServer::TScriptedServer() : thread_([this] { Run(); }) {}

TScriptedServer::~TScriptedServer() {
  stop_ = true;
  thread_.join();
}

std::string TScriptedServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(Port()) + path;
}

TConnectionScript& TScriptedServer::NextConnection() {
  std::lock_guard lock(mutex_);
  return scripts_.emplace_back();
}

void TScriptedServer::Reply(std::string reply) { NextConnection().Expect().Send(std::move(reply)); }

std::vector<std::string> TScriptedServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

bool TScriptedServer::WaitForRequests(std::size_t n, int timeoutMs) const {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < end) {
    {
      std::lock_guard lock(mutex_);
      if (requests_.size() >= n) return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

void TScriptedServer::Run() {
  while (!stop_) {
    const int fd = listener_.Accept(20);
    if (fd < 0) continue;
    ++connections_;
    TConnectionScript script;
    {
      std::lock_guard lock(mutex_);
      if (!scripts_.empty()) {
        script = std::move(scripts_.front());
        scripts_.pop_front();
      }
    }
    Serve(fd, script);
    ::close(fd);
  }
}

bool TScriptedServer::ReadRequest(int fd, std::string& pending) {
  for (;;) {
    const auto end = pending.find("\r\n\r\n");
    if (end != std::string::npos) {
      const std::size_t total = end + 4 + ContentLength(pending.substr(0, end + 2));
      if (pending.size() >= total) {
        std::lock_guard lock(mutex_);
        requests_.push_back(pending.substr(0, total));
        pending.erase(0, total);
        return true;
      }
    }
    if (!WaitInput(fd, stop_)) return false;
    char chunk[4096];
    const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
    if (n <= 0) return false;
    pending.append(chunk, static_cast<std::size_t>(n));
  }
}

void TScriptedServer::Serve(int fd, const TConnectionScript& script) {
  std::string pending;
  for (const auto& step : script.Steps()) {
    using K = TConnectionScript::TStep::TKind;
    switch (step.kind) {
      case K::Expect:
        if (!ReadRequest(fd, pending)) return;
        break;
      case K::Send:
        if (!SendAll(fd, step.bytes.data(), step.bytes.size())) return;
        break;
      case K::Drip:
        for (char c : step.bytes) {
          if (stop_ || !SendAll(fd, &c, 1)) return;
          std::this_thread::sleep_for(std::chrono::milliseconds(step.delayMs));
        }
        break;
      case K::Pause:
        for (int waited = 0; waited < step.delayMs && !stop_; waited += 5) {
          std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        break;
      case K::Silence:
        while (WaitInput(fd, stop_)) {
          char chunk[4096];
          if (::recv(fd, chunk, sizeof chunk, 0) <= 0) return;
        }
        return;
    }
  }
}

}  // namespace halvane::test
