// Live client benchmark, two parts:
// 1. A body of 256 MiB over TLS from a loopback server into a sink that
//    keeps nothing, against `curl --cacert CA -s -o /dev/null` on the same
//    server in the same run; and the client's peak memory for a 64 MiB and a
//    256 MiB body (which should match: bodies stream through).
// 2. N small requests (default 1,000) spread over 10 hosts of the simulated
//    web, each answer's head held back 20 ms, with parallel 8 / per-host 1
//    against parallel 1 (host delay 0 in both: the figure is concurrency).
//   halvane_live_bench [--runs N] [--requests N]
// Each client run happens in a child process of its own, so that ru_maxrss
// is that run's peak alone.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "TSimProcess.h"
#include "TTestPki.h"
#include "TTestServer.h"
#include "live/TLiveClient.h"

namespace {

using namespace halvane;
constexpr std::int64_t kMiB = 1024 * 1024;

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Serves GET /bytes/<n> over TLS until killed; the port goes to portFd.
[[noreturn]] void ServeTls(const test::TTestPki& pki, int portFd) {
  test::TTestServer server("127.0.0.1", pki.Server().ServerCertificate(), pki.Server().ServerKey());
  static const std::string block(kMiB, 'x');
  server.Routes().Get(R"(/bytes/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
    const std::size_t size = std::stoull(req.matches[1]);
    res.set_content_provider(size, "application/octet-stream",
                             [](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                               (void)offset;
                               return sink.write(block.data(), std::min(length, block.size()));
                             });
  });
  const int port = server.Port();
  if (::write(portFd, &port, sizeof port) != sizeof port) _exit(1);
  for (;;) ::pause();
}

struct TClientRun {
  double Seconds = 0;
  double CpuSeconds = 0;
  long MaxRssKiB = 0;
  long long Bytes = 0;
  int Failures = 0;
};

// Runs work in a child process; its time, peak memory, and what it counted.
template <typename F>
TClientRun InChild(F&& work) {
  int fds[2];
  if (::pipe(fds) != 0) std::exit(1);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    TClientRun run;
    const auto start = std::chrono::steady_clock::now();
    work(run);
    run.Seconds = Seconds(start);
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    run.MaxRssKiB = usage.ru_maxrss;
    run.CpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    if (::write(fds[1], &run, sizeof run) != sizeof run) _exit(1);
    _exit(0);
  }
  ::close(fds[1]);
  TClientRun run;
  if (::read(fds[0], &run, sizeof run) != sizeof run) run = {};
  ::close(fds[0]);
  ::waitpid(pid, nullptr, 0);
  return run;
}

// Submits every URL at once and waits for all; counts body bytes and failures.
void FetchAll(const live::TNetworkSettings& settings, const std::vector<std::string>& urls, TClientRun& run) {
  std::mutex mutex;
  std::condition_variable done;
  std::size_t finished = 0;
  std::atomic<long long> bytes{0};
  live::TLiveClient client(settings);
  for (const std::string& url : urls) {
    live::TLiveRequest request;
    request.Url = url;
    request.MaxBodyBytes = 1024 * kMiB;
    request.BodySink = [&bytes](std::string_view piece) {
      bytes += static_cast<long long>(piece.size());
      return true;
    };
    client.Submit(std::move(request), [&](live::TLiveResponse r) {
      std::lock_guard lock(mutex);
      if (!r.Succeeded()) {
        if (run.Failures++ == 0) std::fprintf(stderr, "failed: %s %s\n", url.c_str(), r.Message.c_str());
      }
      ++finished;
      done.notify_all();
    });
  }
  std::unique_lock lock(mutex);
  done.wait(lock, [&] { return finished == urls.size(); });
  run.Bytes = bytes;
}

double RunCurl(const std::string& url, const std::string& caFile) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::execlp("curl", "curl", "-s", "--cacert", caFile.c_str(), "-o", "/dev/null", url.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return Seconds(start);
}

int TlsPart(int runs) {
  test::TTestPki pki;
  int fds[2];
  if (::pipe(fds) != 0) return 1;
  const pid_t server = ::fork();
  if (server == 0) ServeTls(pki, fds[1]);
  int port = 0;
  if (::read(fds[0], &port, sizeof port) != sizeof port) return 1;
  const std::string base = "https://127.0.0.1:" + std::to_string(port) + "/bytes/";
  live::TNetworkSettings settings;
  settings.CaFile = pki.CaFile();
  settings.TimeoutSeconds = 300;

  double ours = 1e9, curl = 1e9;
  TClientRun big;
  for (int i = 0; i < runs; ++i) {
    const TClientRun run = InChild([&](TClientRun& r) { FetchAll(settings, {base + std::to_string(256 * kMiB)}, r); });
    ours = std::min(ours, run.Seconds);
    big.MaxRssKiB = std::max(big.MaxRssKiB, run.MaxRssKiB);
    big.CpuSeconds = run.CpuSeconds;
    big.Bytes = run.Bytes;
    big.Failures += run.Failures;
    const double c = RunCurl(base + std::to_string(256 * kMiB), pki.CaFile());
    if (c >= 0) curl = std::min(curl, c);
  }
  const TClientRun small = InChild([&](TClientRun& r) { FetchAll(settings, {base + std::to_string(64 * kMiB)}, r); });
  ::kill(server, SIGTERM);
  ::waitpid(server, nullptr, 0);

  std::printf("body 256 MiB over TLS on loopback into a sink, best of %d runs\n", runs);
  std::printf("  TLiveClient         %.3f s  (%lld bytes, %.0f MiB/s, CPU %.2f s)\n", ours, big.Bytes, 256.0 / ours, big.CpuSeconds);
  if (curl < 1e9) {
    std::printf("  curl --cacert       %.3f s  (%.0f MiB/s)\n", curl, 256.0 / curl);
    std::printf("  ratio ours/curl     %.2f  (goal: at most 1.20)\n", ours / curl);
  } else {
    std::printf("  curl --cacert       not available\n");
  }
  std::printf("peak memory (ru_maxrss) of the client process\n");
  std::printf("  64 MiB body         %ld KiB\n", small.MaxRssKiB);
  std::printf("  256 MiB body        %ld KiB  (goal: the same as for 64 MiB)\n", big.MaxRssKiB);
  return big.Bytes == 256 * kMiB && big.Failures == 0 ? 0 : 1;
}

int ConcurrencyPart(int requests) {
  const std::string config = "/tmp/halvane_live_bench_" + std::to_string(::getpid()) + ".conf";
  std::ofstream(config) << "sites = 10\n";
  test::TSimProcess sim(config);
  std::remove(config.c_str());
  std::vector<std::string> urls;
  for (int i = 0; i < requests; ++i) {
    urls.push_back("http://127.0.0." + std::to_string(2 + i % 10) + ":" + std::to_string(sim.Port()) +
                   "/_sim/body?size=2000&n=" + std::to_string(i) + "&_fault=head-delay:20");
  }
  live::TNetworkSettings wide;
  wide.Parallel = 8;
  wide.PerHost = 1;
  wide.HostDelayMs = 0;
  live::TNetworkSettings narrow = wide;
  narrow.Parallel = 1;
  // curl's own parallel mode on the same URLs: how fast this server and
  // machine let any client go.
  const std::string list = "/tmp/halvane_live_bench_" + std::to_string(::getpid()) + ".curl";
  {
    std::ofstream out(list);
    for (const std::string& url : urls) out << "url = \"" << url << "\"\noutput = /dev/null\n";
  }
  const auto curlStart = std::chrono::steady_clock::now();
  const std::string command = "curl -s --parallel --parallel-max 8 -K " + list;
  const bool curlOk = std::system(command.c_str()) == 0;
  const double curlSeconds = Seconds(curlStart);
  std::remove(list.c_str());
  const TClientRun fast = InChild([&](TClientRun& r) { FetchAll(wide, urls, r); });
  const TClientRun slow = InChild([&](TClientRun& r) { FetchAll(narrow, urls, r); });
  std::printf("%d requests of 2000 bytes to 10 simulated hosts, head held back 20 ms\n", requests);
  std::printf("  parallel 8, per host 1   %.3f s  (%d failed, client CPU %.2f s)\n", fast.Seconds, fast.Failures, fast.CpuSeconds);
  std::printf("  parallel 1               %.3f s  (%d failed, client CPU %.2f s)\n", slow.Seconds, slow.Failures, slow.CpuSeconds);
  std::printf("  speed-up                 %.2f  (goal: at least 6)\n", slow.Seconds / fast.Seconds);
  if (curlOk) std::printf("  curl --parallel-max 8    %.3f s  (no per-host limit; the same server and machine)\n", curlSeconds);
  return fast.Failures == 0 && slow.Failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 3, requests = 1000;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(0, std::atoi(argv[i + 1]));
    if (std::strcmp(argv[i], "--requests") == 0) requests = std::max(10, std::atoi(argv[i + 1]));
  }
  const int tls = runs > 0 ? TlsPart(runs) : 0;  // --runs 0: the concurrency part alone
  const int many = ConcurrencyPart(requests);
  return tls == 0 && many == 0 ? 0 : 1;
}
