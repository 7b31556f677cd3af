// halvane-harvest recheck of recorded pages against halvane-sim with a 50 ms
// head delay on every blog: parallel 16 over every page, parallel 1 over a
// sample (a whole run at parallel 1 takes minutes), the speed-up per page,
// and the process's peak memory.
//
//   halvane_recheck_bench [pages, default 10000] [sample at parallel 1, default 1000]
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "TLiveSimSetup.h"
#include "TSimProcess.h"
#include "TSimWeb.h"
#include "livesetup/LiveRunParts.h"
#include "sources/TSourcesFile.h"
#include "store/OpenStore.h"
#include "tools/harvest/RecheckCommand.h"

using namespace halvane;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kSites = 24;

// Seconds to recheck every link of the store at parallel, and its summary.
double Recheck(const test::TSimProcess& sim, const std::filesystem::path& folder, store::TStore& store,
               int parallel, std::string& summary) {
  const std::string path = (folder / ("sources" + std::to_string(parallel) + ".ini")).string();
  std::ofstream(path) << "[search]\nengine = searxng\nsearxng-url = " << sim.HttpsServiceUrl()
                      << "/\n[authority]\nsource = none\n[ranking]\nsource = none\n[pages]\ntest = modern\n"
                      << "[network]\nparallel = " << parallel
                      << "\nper-host = 1\nhost-delay-ms = 0\nprivate-addresses = allow\nrobots = ignore\nca-file = "
                      << sim.CaFile() << "\n";
  std::string error;
  auto parts = livesetup::MakeLiveRunParts(sources::TSourcesFile::Read(path, true), error);
  if (!parts) {
    std::fprintf(stderr, "%s\n", error.c_str());
    std::exit(1);
  }
  harvest::THarvestOptions options;
  options.Verb = harvest::TVerb::Recheck;
  options.Domain = "myshop.example";
  std::ostringstream out;
  std::ostringstream err;
  const std::atomic<bool> interrupted{false};
  const auto begun = Clock::now();
  harvest::RunRecheck(options, *parts->Pages, store, {out, err, harvest::TProgressReport::TStyle::Lines}, interrupted);
  const double seconds = std::chrono::duration<double>(Clock::now() - begun).count();
  // The closing line: "10000 pages checked: ...".
  std::string text = err.str();
  while (!text.empty() && text.back() == '\n') text.pop_back();
  summary = text.substr(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1);
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  const int pages = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
  const int sample = argc > 2 ? std::clamp(std::atoi(argv[2]), 1, pages) : std::min(pages, 1000);
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("halvane-recheck-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::string config = (folder / "bench.conf").string();
  const int perSite = (pages + kSites - 1) / kSites;
  std::ofstream(config) << "sites = " << kSites << "\npages-per-site = " << perSite << "\nlive.pages = modern\n";
  test::TSimProcess sim(config);
  if (!sim.SetFaults(test::TLiveSimSetup::BlogRules(kSites, "head-delay:50"))) {
    std::fprintf(stderr, "the simulator refused the fault rules\n");
    return 1;
  }
  const sim::TSimWeb web(sim::LoadSimConfig(config), sim.Port());
  std::vector<std::string> addresses;
  for (int i = 0; i < pages; ++i) addresses.push_back(web.PageAddress(web.Page(i % kSites, i / kSites)));

  const auto fill = [&](const std::string& name, int count) {
    auto store = store::OpenStore((folder / name).string());
    for (int i = 0; i < count; ++i) store->AddLink(addresses[static_cast<std::size_t>(i)], "127.0.0.1");
    return store;
  };
  std::string summary;
  auto all = fill("all.db", pages);
  const double wide = Recheck(sim, folder, *all, 16, summary);
  std::printf("parallel 16: %d pages in %.2f s (%.2f ms a page): %s\n", pages, wide, wide * 1000 / pages,
              summary.c_str());
  auto few = fill("sample.db", sample);
  const double narrow = Recheck(sim, folder, *few, 1, summary);
  std::printf("parallel 1: %d pages in %.2f s (%.2f ms a page): %s\n", sample, narrow, narrow * 1000 / sample,
              summary.c_str());
  const double speedUp = (narrow / sample) / (wide / pages);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const double peak = static_cast<double>(usage.ru_maxrss) / 1024.0;
  std::printf("speed-up a page, parallel 16 / 1: %.1fx (goal >= 12)\npeak memory: %.1f MiB (goal < 100)\n", speedUp,
              peak);
  std::filesystem::remove_all(folder);
  return speedUp >= 12 && peak < 100 ? 0 : 1;
}
