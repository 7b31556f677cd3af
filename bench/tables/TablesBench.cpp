// Timing program for the big tables: builds the index of a synthetic
// 10-million-line Open PageRank table and of a 1-million-line Tranco list
// (CSV and zip), then measures lookups and the resident memory that both
// open tables add.
//   halvane_tables_bench [--authority-lines N] [--tranco-lines N] [WORKDIR]
// Without WORKDIR a temporary folder is used and removed afterwards.
#include <malloc.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "TTrancoDownload.h"
#include "tables/TAuthorityTable.h"
#include "tables/TTrancoList.h"

namespace {

using namespace halvane::tables;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// A field of /proc/self/status in KiB ("VmRSS", "RssFile", "VmHWM", ...).
long StatusKiB(const std::string& field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(field + ":", 0) == 0) return std::strtol(line.c_str() + field.size() + 1, nullptr, 10);
  }
  return -1;
}

std::string Domain(std::mt19937_64& random, std::uint64_t n) {
  static const char* const kTlds[] = {"com", "org", "net", "de", "co.uk", "io", "fr", "com.au", "ru", "nl"};
  std::string name;
  const std::size_t length = 4 + random() % 10;
  for (std::size_t i = 0; i < length; ++i) name.push_back(static_cast<char>('a' + random() % 26));
  // The number keeps names distinct; letters first so that they spread over the blocks.
  return name + std::to_string(n) + "." + kTlds[random() % 10];
}

std::vector<std::string> WriteAuthority(const std::string& path, std::uint64_t lines) {
  std::mt19937_64 random(1);
  std::vector<std::string> sample;
  std::ofstream out(path, std::ios::binary);
  out << "\"Rank\",\"Domain\",\"Extension\",\"Open Page Rank\",\"Referring Domains\"\r\n";
  char line[512];
  for (std::uint64_t i = 1; i <= lines; ++i) {
    const std::string domain = Domain(random, i);
    const unsigned hundredths = static_cast<unsigned>(random() % 1001);
    const int n = std::snprintf(line, sizeof line, "\"%llu\",\"%s\",\"com\",\"%u.%02u\",\"%llu\"\r\n",
                                static_cast<unsigned long long>(i), domain.c_str(), hundredths / 100, hundredths % 100,
                                static_cast<unsigned long long>(random() % 100000));
    out.write(line, n);
    if (i % 97 == 0) sample.push_back(domain);
  }
  return sample;
}

std::string TrancoText(std::uint64_t lines, std::vector<std::string>& sample) {
  std::mt19937_64 random(2);
  std::string text;
  text.reserve(lines * 24);
  for (std::uint64_t i = 1; i <= lines; ++i) {
    const std::string domain = Domain(random, i);
    text += std::to_string(i) + "," + domain + "\r\n";
    if (i % 13 == 0) sample.push_back(domain);
  }
  return text;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Median and 99th percentile of single lookups, in microseconds.
template <typename TFind>
void TimeLookups(const char* name, const std::vector<std::string>& probes, TFind find) {
  std::vector<double> micros;
  micros.reserve(probes.size());
  std::size_t found = 0;
  for (const std::string& probe : probes) {
    const auto start = Clock::now();
    found += find(probe).has_value();
    micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  }
  std::sort(micros.begin(), micros.end());
  std::printf("%-34s median %.3f us, p99 %.3f us (%zu lookups, %zu found)\n", name, micros[micros.size() / 2],
              micros[micros.size() * 99 / 100], probes.size(), found);
}

}  // namespace

int main(int argc, char** argv) {
  std::uint64_t authorityLines = 10000000;
  std::uint64_t trancoLines = 1000000;
  std::string work;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--authority-lines" && i + 1 < argc) {
      authorityLines = std::strtoull(argv[++i], nullptr, 10);
    } else if (arg == "--tranco-lines" && i + 1 < argc) {
      trancoLines = std::strtoull(argv[++i], nullptr, 10);
    } else {
      work = arg;
    }
  }
  const bool temporary = work.empty();
  if (temporary) {
    std::string pattern = (std::filesystem::temp_directory_path() / "halvane_tables_bench_XXXXXX").string();
    if (!mkdtemp(pattern.data())) return 1;
    work = pattern;
  }
  std::filesystem::create_directories(work);
  const std::string authorityPath = work + "/authority.csv";
  const std::string trancoCsv = work + "/tranco.csv";
  const std::string trancoZip = work + "/top-1m.csv.zip";
  std::filesystem::remove_all(work + "/cache");

  std::printf("writing a %llu-line authority table and a %llu-line Tranco list in %s\n",
              static_cast<unsigned long long>(authorityLines), static_cast<unsigned long long>(trancoLines),
              work.c_str());
  std::vector<std::string> authoritySample = WriteAuthority(authorityPath, authorityLines);
  std::vector<std::string> trancoSample;
  {
    const std::string text = TrancoText(trancoLines, trancoSample);
    WriteFile(trancoCsv, text);
    WriteFile(trancoZip, halvane::sim::ZipOneFile("top-1m.csv", text));
  }

  try {
    auto start = Clock::now();
    (void)TAuthorityTable::Open(authorityPath, work + "/cache");
    std::printf("index authority table (%llu lines)   %.2f s (limit 60 s)\n",
                static_cast<unsigned long long>(authorityLines), Seconds(start));
    start = Clock::now();
    (void)TTrancoList::Open(trancoCsv, work + "/cache");
    std::printf("index Tranco CSV (%llu lines)        %.2f s (limit 6 s)\n", static_cast<unsigned long long>(trancoLines),
                Seconds(start));
    start = Clock::now();
    (void)TTrancoList::Open(trancoZip, work + "/cache");
    std::printf("index Tranco zip (%llu lines)        %.2f s (limit 6 s)\n", static_cast<unsigned long long>(trancoLines),
                Seconds(start));
    std::printf("peak resident memory while indexing   %.0f MiB\n", StatusKiB("VmHWM") / 1024.0);

    std::mt19937_64 random(3);
    std::vector<std::string> probes;
    for (int i = 0; i < 200000; ++i) {
      if (i % 2 == 0) {
        probes.push_back(authoritySample[random() % authoritySample.size()]);
      } else {
        probes.push_back(Domain(random, 900000000 + i));  // absent
      }
    }
    std::vector<std::string> trancoProbes;
    for (int i = 0; i < 200000; ++i) {
      trancoProbes.push_back(i % 2 ? trancoSample[random() % trancoSample.size()] : Domain(random, 800000000 + i));
    }
    // Resident growth of a program that opens both (indexes up to date) and
    // looks up as much as a long run does.
    malloc_trim(0);
    const long before = StatusKiB("VmRSS");
    start = Clock::now();
    const TAuthorityTable authority = TAuthorityTable::Open(authorityPath, work + "/cache");
    const TTrancoList tranco = TTrancoList::Open(trancoZip, work + "/cache");
    std::printf("open both (indexes up to date)        %.3f ms\n", Seconds(start) * 1000);

    for (int i = 0; i < 10000; ++i) {
      (void)authority.Find(probes[static_cast<std::size_t>(i)]);
      (void)tranco.FindForHost(trancoProbes[static_cast<std::size_t>(i)]);
    }
    const long afterRun = StatusKiB("VmRSS");
    std::printf("resident growth, both open, 10,000 lookups each: %.1f MiB (limit 64 MiB)\n",
                (afterRun - before) / 1024.0);

    TimeLookups("lookup authority, half absent", probes,
                [&](const std::string& d) { return authority.Find(d); });
    TimeLookups("lookup Tranco, half absent", trancoProbes, [&](const std::string& d) { return tranco.Find(d); });
    TimeLookups("Tranco FindForHost (libpsl first)", trancoProbes,
                [&](const std::string& d) { return tranco.FindForHost(d); });
    const long after = StatusKiB("VmRSS");
    std::printf("resident growth after all %zu lookups: %.1f MiB (file pages %.1f MiB of it are the mapped index)\n",
                probes.size() * 2 + 10000 * 2, (after - before) / 1024.0, StatusKiB("RssFile") / 1024.0);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "halvane_tables_bench: %s\n", e.what());
    return 1;
  }
  if (temporary) std::filesystem::remove_all(work);
  return 0;
}
