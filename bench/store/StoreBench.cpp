// Timing program for the SQLite store: records a million judged pages in
// batches, then measures the --new-only test ("judged since?") per address
// and the bytes the store takes on disk per page.
//   halvane_store_bench [--pages N] [--batch N] [--lookups N] [WORKDIR]
// Without WORKDIR a temporary folder is used and removed afterwards.
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "store/OpenStore.h"

namespace {

using namespace halvane::store;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// The process's CPU time: on a shared machine the wall clock also counts
// the time others had the processor.
double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

std::string Letters(std::mt19937_64& random, std::size_t min, std::size_t max) {
  std::string text;
  const std::size_t length = min + random() % (max - min + 1);
  for (std::size_t i = 0; i < length; ++i) text.push_back(static_cast<char>('a' + random() % 26));
  return text;
}

// Blog post addresses of a typical length (about 70 bytes): a host, a date
// and a slug.
std::string Host(std::mt19937_64& random, std::uint64_t n) {
  static const char* const kTlds[] = {"com", "org", "net", "de", "co.uk", "io", "fr", "com.au", "blog", "nl"};
  return "www." + Letters(random, 5, 12) + std::to_string(n) + "." + kTlds[random() % 10];
}

TVerdictRecord Verdict(std::mt19937_64& random, std::uint64_t n) {
  TVerdictRecord verdict;
  verdict.Host = Host(random, n);
  verdict.Address = "https://" + verdict.Host + "/20" + std::to_string(10 + random() % 16) + "/" +
                    std::to_string(1 + random() % 12) + "/" + Letters(random, 10, 18) + "-" + Letters(random, 6, 12) +
                    "/";
  if (random() % 5 == 0) verdict.FinalAddress = verdict.Address + "?amp=1";  // moved
  if (random() % 10 < 3) {
    verdict.Reason = random() % 2 ? "not WordPress" : "nofollow";
    return verdict;
  }
  verdict.CommentsOpen = random() % 4 != 0;
  verdict.CommentLinks = static_cast<TCommentLinks>(random() % 3);
  verdict.HasYourLink = random() % 50 == 0;
  if (*verdict.HasYourLink) {
    verdict.Anchor = "My Shop";
    verdict.YourLinkRel = "ugc";
  }
  if (random() % 4) verdict.Authority = static_cast<int>(random() % 11);
  if (random() % 3) verdict.TrafficRank = static_cast<std::int64_t>(1 + random() % 1000000);
  return verdict;
}

std::uint64_t FileSize(const std::string& path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  return error ? 0 : size;
}

}  // namespace

int main(int argc, char** argv) {
  std::uint64_t pages = 1000000, batch = 1000, lookups = 200000;
  std::string work;
  for (int i = 1; i < argc; ++i) {
    const bool more = i + 1 < argc;
    if (!std::strcmp(argv[i], "--pages") && more) {
      pages = std::strtoull(argv[++i], nullptr, 10);
    } else if (!std::strcmp(argv[i], "--batch") && more) {
      batch = std::max<std::uint64_t>(1, std::strtoull(argv[++i], nullptr, 10));
    } else if (!std::strcmp(argv[i], "--lookups") && more) {
      lookups = std::strtoull(argv[++i], nullptr, 10);
    } else {
      work = argv[i];
    }
  }
  const bool temporary = work.empty();
  if (temporary) {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/halvane_store_bench_XXXXXX";
    if (!mkdtemp(pattern.data())) return 1;
    work = pattern;
  }
  const std::string path = work + "/halvane.db";
  std::filesystem::remove(path);

  try {
    std::mt19937_64 random(1);
    double writing = 0, writingCpu = 0;
    std::vector<std::string> sample;  // known addresses to look up
    {
      auto store = OpenStore(path);
      const std::int64_t run = store->BeginRun({"garden"}, {"{keyword} \"leave a comment\""}, "searxng");
      std::vector<TVerdictRecord> verdicts;
      for (std::uint64_t n = 0; n < pages;) {
        verdicts.clear();
        for (std::uint64_t i = 0; i < batch && n < pages; ++i, ++n) {
          verdicts.push_back(Verdict(random, n));
          verdicts.back().RunId = run;
          if (n % (pages / lookups + 1) == 0) sample.push_back(verdicts.back().Address);
        }
        const auto start = Clock::now();  // the store's time only, not the making of the verdicts
        const double cpuStart = CpuSeconds();
        store->RecordVerdicts(verdicts);
        writing += Seconds(start);
        writingCpu += CpuSeconds() - cpuStart;
      }
      store->EndRun(run, {static_cast<std::int64_t>(pages), static_cast<std::int64_t>(pages), 0, 0});
    }
    const std::uint64_t bytes = FileSize(path) + FileSize(path + "-wal");

    auto store = OpenStore(path);
    // Half the addresses asked are known, half are not; they come in random order.
    std::vector<std::string> asked;
    for (const auto& address : sample) {
      asked.push_back(address);
      asked.push_back(address + "unknown/");
    }
    std::shuffle(asked.begin(), asked.end(), random);
    std::uint64_t known = 0;
    const auto start = Clock::now();
    const double cpuStart = CpuSeconds();
    for (const auto& address : asked) known += store->JudgedSince(address, 0) ? 1 : 0;
    const double lookupSeconds = Seconds(start);
    const double lookupCpu = CpuSeconds() - cpuStart;

    std::printf("pages judged          %llu in batches of %llu\n", static_cast<unsigned long long>(pages),
                static_cast<unsigned long long>(batch));
    std::printf("verdicts written      %.0f a second, %.0f a second of CPU time (goal >= 50000)\n",
                static_cast<double>(pages) / writing, static_cast<double>(pages) / writingCpu);
    const double count = static_cast<double>(asked.size());
    std::printf("judged-since test     %.2f us an address, %.2f us of CPU time, over %zu addresses, %llu known "
                "(goal <= 20)\n",
                lookupSeconds * 1e6 / count, lookupCpu * 1e6 / count, asked.size(),
                static_cast<unsigned long long>(known));
    std::printf("on disk               %.0f bytes a page, %llu bytes in all (goal <= 400)\n",
                static_cast<double>(bytes) / static_cast<double>(pages), static_cast<unsigned long long>(bytes));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "halvane_store_bench: %s\n", error.what());
    if (temporary) std::filesystem::remove_all(work);
    return 1;
  }
  if (temporary) std::filesystem::remove_all(work);
  return 0;
}
