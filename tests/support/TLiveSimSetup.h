#pragma once
// Live mode against the simulated web over TLS, for end-to-end tests and
// benchmarks: a sources file pointing every live source at a running
// halvane-sim (its test CA in ca-file), the Tranco list it serves written
// beside it, and the rows a live run must give, from the model alone.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/TSimProcess.h"

namespace halvane::test {

// A live row: Authority, URL, Comments, Comment Links, Has Your Link, Anchor
// Name, Traffic Rank.
using TLiveSimRow = std::array<std::string, 7>;

class TLiveSimSetup {
 public:
  // Writes sources.ini and tranco.csv into a new temporary folder.
  // extraNetwork lines go into [network] (e.g. "parallel = 8").
  explicit TLiveSimSetup(const TSimProcess& sim, const std::string& extraNetwork = {});
  ~TLiveSimSetup();
  TLiveSimSetup(const TLiveSimSetup&) = delete;
  TLiveSimSetup& operator=(const TLiveSimSetup&) = delete;

  const std::string& Folder() const { return folder_; }
  const std::string& SourcesFile() const { return sourcesFile_; }
  const std::string& TrancoFile() const { return trancoFile_; }

  // The rows of a live run (SearXNG, Open PageRank, Tranco, modern page
  // test) for keyword at depth 1..10, in harvest order.
  std::vector<TLiveSimRow> ExpectedRows(std::string_view keyword, int depth, std::string_view userDomain) const;
  // Fault rules giving every blog site (127.0.0.2 upwards, sites of them)
  // these faults, one "127.0.0.K: <faults>" line each.
  static std::string BlogRules(int sites, const std::string& faults);

  // The same as the CSV text halvane-harvest writes for one keyword.
  std::string ExpectedCsv(std::string_view keyword, int depth, std::string_view userDomain) const;

 private:
  const TSimProcess& sim_;
  std::string folder_;
  std::string sourcesFile_;
  std::string trancoFile_;
};

}  // namespace halvane::test
