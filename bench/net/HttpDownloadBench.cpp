// Download benchmark: a body of 256 MiB from a loopback server into a file
// sink, against `curl -s -o` on the same server in the same run, and the
// client's peak memory for a 64 MiB and a 256 MiB body (which should match).
//   halvane_net_bench [--dir DIR] [--runs N]
// Each client run happens in a child process of its own, so that ru_maxrss
// is that run's peak alone.
#include <netinet/in.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "TSocket.h"
#include "net/THttpClient.h"

namespace {

using halvane::platform::TListenSocket;

constexpr std::int64_t kMiB = 1024 * 1024;

// Serves GET /<size>: a head with Content-Length and size bytes, then closes.
[[noreturn]] void Serve(TListenSocket& listener) {
  std::vector<char> block(1 << 20, 'x');
  for (;;) {
    const int fd = listener.Accept(1000);
    if (fd < 0) continue;
    std::string head;
    char buf[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
      const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
      if (n <= 0) break;
      head.append(buf, static_cast<std::size_t>(n));
    }
    const auto slash = head.find('/');
    const long long size = slash == std::string::npos ? 0 : std::atoll(head.c_str() + slash + 1);
    const std::string reply = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n";
    bool ok = ::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL) > 0;
    for (long long left = size; ok && left > 0;) {
      const ssize_t n = ::send(fd, block.data(), static_cast<std::size_t>(std::min<long long>(left, block.size())),
                               MSG_NOSIGNAL);
      ok = n > 0;
      left -= n;
    }
    ::close(fd);
  }
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

struct TClientRun {
  double seconds = 0;
  long maxRssKiB = 0;
  long long bytes = 0;
};

// One Get in a child process; reports time, peak memory and file size.
TClientRun RunClient(const std::string& url, const std::string& file) {
  int fds[2];
  if (::pipe(fds) != 0) std::exit(1);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    TClientRun run;
    const auto start = std::chrono::steady_clock::now();
    try {
      halvane::THttpClient client;
      halvane::TFileStream sink(file, halvane::TFileMode::Create);
      client.Get(url, sink);
      run.bytes = sink.Size();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "client failed: %s\n", e.what());
    }
    run.seconds = Seconds(start);
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    run.maxRssKiB = usage.ru_maxrss;
    if (::write(fds[1], &run, sizeof run) != sizeof run) _exit(1);
    _exit(0);
  }
  ::close(fds[1]);
  TClientRun run;
  if (::read(fds[0], &run, sizeof run) != sizeof run) run = {};
  ::close(fds[0]);
  ::waitpid(pid, nullptr, 0);
  ::unlink(file.c_str());
  return run;
}

double RunCurl(const std::string& url, const std::string& file) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::execlp("curl", "curl", "-s", "-o", file.c_str(), url.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  const double seconds = Seconds(start);
  ::unlink(file.c_str());
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir = "/tmp";
  int runs = 3;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--dir") == 0) dir = argv[i + 1];
    if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
  }
  TListenSocket listener;
  const pid_t server = ::fork();
  if (server == 0) Serve(listener);
  listener.Close();

  const std::string base = "http://127.0.0.1:" + std::to_string(listener.Port()) + "/";
  const std::string file = dir + "/halvane_bench_" + std::to_string(::getpid()) + ".bin";
  const std::int64_t big = 256 * kMiB;
  double ours = 1e9, curl = 1e9;
  long rssBig = 0;
  long long bytes = 0;
  for (int i = 0; i < runs; ++i) {
    const TClientRun run = RunClient(base + std::to_string(big), file);
    ours = std::min(ours, run.seconds);
    rssBig = std::max(rssBig, run.maxRssKiB);
    bytes = run.bytes;
    const double c = RunCurl(base + std::to_string(big), file);
    if (c >= 0) curl = std::min(curl, c);
  }
  const TClientRun small = RunClient(base + std::to_string(64 * kMiB), file);
  ::kill(server, SIGTERM);
  ::waitpid(server, nullptr, 0);

  std::printf("body 256 MiB into a file, best of %d runs\n", runs);
  std::printf("  THttpClient::Get   %.3f s  (%lld bytes, %.0f MiB/s)\n", ours, bytes, 256.0 / ours);
  if (curl < 1e9) {
    std::printf("  curl -s -o         %.3f s  (%.0f MiB/s)\n", curl, 256.0 / curl);
    std::printf("  ratio ours/curl    %.2f  (goal: at most 1.20)\n", ours / curl);
  } else {
    std::printf("  curl -s -o         not available\n");
  }
  std::printf("peak memory (ru_maxrss) of the client process\n");
  std::printf("  64 MiB body        %ld KiB\n", small.maxRssKiB);
  std::printf("  256 MiB body       %ld KiB  (goal: the same as for 64 MiB)\n", rssBig);
  return bytes == big ? 0 : 1;
}
