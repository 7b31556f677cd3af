#include "tests/support/TSimProcess.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "tests/support/WaitUntil.h"

extern char** environ;

namespace halvane::test {
namespace {

constexpr auto kStartLimit = std::chrono::seconds(30);

// Reads the next line of fd within the time limit.
std::string ReadLine(int fd, std::chrono::steady_clock::time_point until) {
  std::string line;
  while (line.size() < 4096) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    if (left.count() <= 0) throw std::runtime_error("halvane-sim printed no port in time");
    pollfd p{fd, POLLIN, 0};
    const int r = poll(&p, 1, static_cast<int>(left.count()));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) continue;
    char c = 0;
    const ssize_t n = read(fd, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw std::runtime_error("halvane-sim ended before printing its port");
    if (c == '\n') return line;
    line.push_back(c);
  }
  throw std::runtime_error("halvane-sim printed no port");
}

// One HTTP/1.0 request to 127.0.0.1:port; the status code, or -1.
// The answer is waited for on the socket; answerLimit only bounds a server
// that never answers.
int Ask(int port, const std::string& method, const std::string& target, const std::string& body,
        std::chrono::milliseconds answerLimit = std::chrono::seconds(5)) {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  if (s < 0) return -1;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<std::uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int status = -1;
  if (connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
    const std::string request = method + " " + target + " HTTP/1.0\r\nContent-Type: text/plain\r\n" +
                                "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    if (send(s, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
      char buf[32] = {};
      pollfd p{s, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(answerLimit.count())) > 0) {
        const ssize_t n = recv(s, buf, sizeof buf - 1, 0);
        const std::string head(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
        if (head.size() >= 12 && head.rfind("HTTP/1.", 0) == 0) status = std::atoi(head.c_str() + 9);
      }
    }
  }
  close(s);
  return status;
}

// Waits for the child to end and reaps it: the kernel says when (a pidfd
// turns readable), limit only bounds a child that never ends. Where pidfds
// are missing, it is asked again (WaitUntil).
bool WaitForExit(pid_t pid, int& status, std::chrono::milliseconds limit) {
  const int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (fd < 0) {
    return WaitUntil(
        [&] {
          const pid_t r = waitpid(pid, &status, WNOHANG);
          return r == pid || (r < 0 && errno != EINTR);
        },
        limit);
  }
  pollfd p{fd, POLLIN, 0};
  int ready = 0;
  do {
    ready = poll(&p, 1, static_cast<int>(limit.count()));
  } while (ready < 0 && errno == EINTR);
  close(fd);
  if (ready <= 0) return false;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return true;
}

}  // namespace

std::string TSimProcess::DefaultExecutable() {
#ifdef HALVANE_SIM_PATH
  return HALVANE_SIM_PATH;
#else
  return "halvane-sim";
#endif
}

TSimProcess::TSimProcess(const std::string& configPath, const std::string& executable) {
  const std::string program = executable.empty() ? DefaultExecutable() : executable;
  int out[2];
  if (pipe(out) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_addclose(&actions, out[1]);
  std::vector<std::string> args{program, "--port", "0"};
  if (!configPath.empty()) {
    args.emplace_back("--config");
    args.push_back(configPath);
  }
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const int rc = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (rc != 0) {
    close(out[0]);
    pid_ = -1;
    throw std::runtime_error("cannot start " + program);
  }
  const auto until = std::chrono::steady_clock::now() + kStartLimit;
  try {
    // The port, the CA file, the https port.
    std::string line, httpsLine;
    try {
      line = ReadLine(out[0], until);
      caFile_ = ReadLine(out[0], until);
      httpsLine = ReadLine(out[0], until);
    } catch (...) {
      close(out[0]);
      throw;
    }
    close(out[0]);
    port_ = std::stoi(line);
    httpsPort_ = std::stoi(httpsLine);
    if (port_ <= 0 || port_ > 65535 || httpsPort_ <= 0 || httpsPort_ > 65535 || caFile_.empty()) {
      throw std::runtime_error("halvane-sim printed " + line + " / " + caFile_ + " / " + httpsLine);
    }
    // It prints its ports once it listens, so a request is taken now and
    // answered once its loop runs: the answer is awaited on the socket.
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    if (Ask(port_, "GET", "/_sim/info", {}, std::max(left, std::chrono::milliseconds(1))) != 200) {
      throw std::runtime_error("halvane-sim does not answer");
    }
  } catch (...) {
    Stop();
    throw;
  }
}

TSimProcess::~TSimProcess() { Stop(); }

bool TSimProcess::SetFaults(const std::string& rules) const {
  return Ask(port_, "POST", "/_sim/faults", rules) == 200;
}

bool TSimProcess::ClearFaults() const { return Ask(port_, "DELETE", "/_sim/faults", {}) == 200; }

std::string TSimProcess::ServiceUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }

std::string TSimProcess::HttpsServiceUrl() const { return "https://127.0.0.1:" + std::to_string(httpsPort_); }

int TSimProcess::Stop() {
  if (pid_ <= 0) return -1;
  kill(pid_, SIGTERM);
  int status = 0;
  // A server that does not stop must not hang the test: after the grace
  // time it is killed, and the status says so.
  if (!WaitForExit(pid_, status, std::chrono::seconds(20))) {
    kill(pid_, SIGKILL);
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
  }
  pid_ = -1;
  return status;
}

}  // namespace halvane::test
