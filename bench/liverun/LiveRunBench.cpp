// A live run of "1000 items" against halvane-sim over TLS with a 50 ms head
// delay on every blog and API request: parallel 8 against parallel 1 (wall
// time, speed-up, identical rows), then halvane-harvest's peak memory for
// the same run.
//
//   halvane_liverun_bench [depth 1..10]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "TLiveSimSetup.h"
#include "TSimProcess.h"
#include "livesetup/LiveRunParts.h"
#include "liverun/TLiveRun.h"
#include "sources/TSourcesFile.h"

using namespace halvane;
using Clock = std::chrono::steady_clock;

namespace {

class TCollect : public liverun::TLiveRunListener {
 public:
  void RowAdded(std::size_t, const liverun::TLiveResult& result) override {
    std::lock_guard lock(FLock);
    Rows.push_back(result);
  }
  void ResultChanged(std::size_t row, const liverun::TLiveResult& result) override {
    std::lock_guard lock(FLock);
    Rows[row] = result;
  }
  void PageSettled(const liverun::TPageOutcome&) override {}
  void StatusText(const std::string&) override {}
  void Progress(std::size_t, std::size_t) override {}
  void Finished(const liverun::TLiveRunSummary& summary) override { Summary = summary; }
  std::vector<liverun::TLiveResult> Rows;
  liverun::TLiveRunSummary Summary;

 private:
  std::mutex FLock;
};

std::string SourcesText(const test::TSimProcess& sim, const std::string& tranco, int parallel) {
  const std::string base = sim.HttpsServiceUrl();
  return "[search]\nengine = searxng\nsearxng-url = " + base + "/\n[authority]\nsource = openpagerank\n" +
         "openpagerank-url = " + base + "/v1/domains/bulk\nopenpagerank-key = sim-opr-key\n" +
         "[ranking]\nsource = tranco\ntranco = " + tranco + "\n[pages]\ntest = modern\n" +
         "[network]\nparallel = " + std::to_string(parallel) + "\nper-host = 2\nhost-delay-ms = 0\nprivate-addresses = allow\nca-file = " +
         sim.CaFile() + "\n";
}

}  // namespace

int main(int argc, char** argv) {
  const int depth = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 10) : 10;
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("halvane-live-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  setenv("XDG_CACHE_HOME", (folder / "cache").c_str(), 1);
  setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);  // halvane-harvest's store
  const std::string config = (folder / "bench.conf").string();
  // Modern blogs: the pages today's WordPress serves, judged by the modern
  // page test as a user's run judges them.
  std::ofstream(config) << "sites = 24\npages-per-site = 200\nkeyword = 10 bench widgets\nlive.pages = modern\n";
  test::TSimProcess sim(config);
  const std::string tranco = (folder / "tranco.csv").string();
  if (std::system(("curl -fsS --cacert '" + sim.CaFile() + "' -o '" + tranco + "' " + sim.HttpsServiceUrl() +
                   "/top-1m.csv").c_str()) != 0) {
    std::fprintf(stderr, "cannot fetch the simulated Tranco list\n");
    return 1;
  }
  if (!sim.SetFaults(test::TLiveSimSetup::BlogRules(24, "head-delay:50") +
                          "format=json head-delay:50\n/v1/domains/bulk head-delay:50")) {
    std::fprintf(stderr, "the simulator refused the fault rules\n");
    return 1;
  }

  std::vector<liverun::TLiveResult> rows[2];
  double seconds[2] = {0, 0};
  const int parallels[2] = {1, 8};
  for (int i = 0; i < 2; ++i) {
    const std::string path = (folder / ("sources" + std::to_string(parallels[i]) + ".ini")).string();
    std::ofstream(path) << SourcesText(sim, tranco, parallels[i]);
    std::string error;
    auto parts = livesetup::MakeLiveRunParts(sources::TSourcesFile::Read(path, true), error);
    if (!parts) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
    TCollect collect;
    const auto begun = Clock::now();
    liverun::TLiveRun run(*parts, {"bench widgets", "myshop.example", depth}, collect);
    run.Start();
    run.Wait();
    seconds[i] = std::chrono::duration<double>(Clock::now() - begun).count();
    rows[i] = collect.Rows;
    std::printf("parallel %d: %.2f s, %zu pages, %zu rows%s%s\n", parallels[i], seconds[i],
                collect.Summary.PagesFound, collect.Rows.size(), collect.Summary.SourceError.empty() ? "" : ", ",
                collect.Summary.SourceError.c_str());
  }
  const double speedUp = seconds[0] / seconds[1];
  std::printf("speed-up parallel 8 / 1: %.1fx (goal >= 6)\nrows identical: %s\n", speedUp,
              rows[0] == rows[1] ? "yes" : "NO");

  // halvane-harvest for the same run: its peak resident memory.
  sim.ClearFaults();
  const pid_t child = fork();
  if (child == 0) {
    const std::string sources = (folder / "sources8.ini").string();
    const std::string out = (folder / "out.csv").string();
    const std::string depthText = std::to_string(depth);
    execl(HALVANE_HARVEST_PATH, "halvane-harvest", "--sources", sources.c_str(), "--keyword", "bench widgets",
          "--domain", "myshop.example", "--depth", depthText.c_str(), "--csv", out.c_str(), "--quiet",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage {};
  wait4(child, &status, 0, &usage);
  std::printf("halvane-harvest: exit %d, peak memory %.1f MiB (goal < 100)\n", WEXITSTATUS(status),
              static_cast<double>(usage.ru_maxrss) / 1024.0);
  std::filesystem::remove_all(folder);
  return rows[0] == rows[1] && speedUp >= 6.0 ? 0 : 1;
}
