// halvane-rank: builds and checks the indexes of authority tables and Tranco
// lists, looks domains up as the program does, and judges a saved page with
// the modern page test.
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "pagetest/PageTest.h"
#include "tables/TAuthorityTable.h"
#include "tables/TTableError.h"
#include "tables/TTrancoList.h"
#include "tables/TableSource.h"
#include "tables/TableText.h"

namespace {

using namespace halvane::tables;

constexpr const char* kUsage =
    "usage: halvane-rank [--cache DIR] index TABLE\n"
    "       halvane-rank [--cache DIR] lookup TABLE DOMAIN...\n"
    "       halvane-rank test-page FILE [DOMAIN]\n"
    "TABLE: an authority table (CSV) or a Tranco list (CSV or zip)\n";

int Usage() {
  std::cerr << kUsage;
  return 2;
}

void Describe(const std::string& table, const TTableIndex& index, double seconds) {
  std::cout << table << ": " << KindName(index.Kind()) << ", " << GroupThousands(index.Count()) << " domains\n"
            << "index: " << index.IndexPath() << "\n";
  if (index.BuildReason().empty()) {
    std::cout << "up to date\n";
  } else {
    char took[32];
    std::snprintf(took, sizeof took, "%.2f", seconds);
    std::cout << "built in " << took << " s (" << index.BuildReason() << ")\n";
  }
}

int Run(const std::string& command, const std::string& table, const std::vector<std::string>& domains,
        const std::string& cacheDir) {
  const TTableKind kind = DetectTableKind(table);
  const auto start = std::chrono::steady_clock::now();
  std::optional<TAuthorityTable> authority;
  std::optional<TTrancoList> tranco;
  if (kind == TTableKind::Authority) {
    authority.emplace(TAuthorityTable::Open(table, cacheDir));
  } else {
    tranco.emplace(TTrancoList::Open(table, cacheDir));
  }
  const TTableIndex& index = authority ? authority->Index() : tranco->Index();
  if (command == "index") {
    Describe(table, index, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return 0;
  }
  if (!index.BuildReason().empty()) std::cerr << "halvane-rank: indexed " << table << " (" << index.BuildReason() << ")\n";
  for (const std::string& domain : domains) {
    std::string shown = "-";
    if (authority) {
      if (const auto figure = authority->FindForHost(domain)) shown = std::to_string(*figure);
    } else if (const auto rank = tranco->FindForHost(domain)) {
      shown = GroupThousands(*rank);
    }
    std::cout << domain << '\t' << shown << '\n';
  }
  if (index.Damaged()) {
    std::cerr << "halvane-rank: index " << index.IndexPath() << " is damaged; run again to rebuild it\n";
    return 1;
  }
  return 0;
}

// Judges a saved page as live mode's modern page test does.
int TestPage(const std::string& file, const std::string& domain) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::cerr << "halvane-rank: cannot read " << file << ": " << std::strerror(errno) << "\n";
    return 1;
  }
  // The test reads no further than this anyway.
  std::string html(halvane::pagetest::kMaxPageBytes + 1, '\0');
  in.read(html.data(), static_cast<std::streamsize>(html.size()));
  if (in.bad()) {
    std::cerr << "halvane-rank: cannot read " << file << ": " << std::strerror(errno) << "\n";
    return 1;
  }
  html.resize(static_cast<std::size_t>(in.gcount()));
  const auto verdict = halvane::pagetest::TestModernPage(html, domain);
  std::cout << "Verdict: " << (verdict.Qualifies ? "kept" : "not kept: " + verdict.Reason) << "\n"
            << "WordPress: " << (verdict.IsWordPress ? "yes" : "no") << "\n"
            << "Follow links only: " << (verdict.FollowLinksOnly ? "yes" : "no") << "\n"
            << "Comments: " << halvane::pagetest::CommentsCell(verdict) << "\n"
            << "Has Your Link: " << halvane::pagetest::YourLinkCell(verdict) << "\n"
            << "Anchor Name: " << verdict.Anchor << "\n";
  if (verdict.Truncated) {
    std::cout << "(judged on the first " << (halvane::pagetest::kMaxPageBytes >> 20) << " MiB)\n";
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string cacheDir = DefaultCacheDir();
  if (args.size() >= 2 && args[0] == "--cache") {
    cacheDir = args[1];
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.empty()) return Usage();
  const std::string& command = args[0];
  if (command == "test-page") {
    if (args.size() < 2 || args.size() > 3) return Usage();
    return TestPage(args[1], args.size() == 3 ? args[2] : std::string());
  }
  if (!((command == "index" && args.size() == 2) || (command == "lookup" && args.size() >= 3))) return Usage();
  if (cacheDir.empty()) {
    std::cerr << "halvane-rank: no cache folder: set XDG_CACHE_HOME or HOME, or give --cache DIR\n";
    return 2;
  }
  try {
    return Run(command, args[1], std::vector<std::string>(args.begin() + 2, args.end()), cacheDir);
  } catch (const TTableError& error) {
    std::cerr << "halvane-rank: " << error.what() << "\n";
    return 1;
  }
}
