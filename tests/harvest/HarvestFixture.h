#pragma once
// In-memory sources for halvane-harvest's tests.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "liverun/ClassicPageJudge.h"
#include "tests/liverun/LiveRunFakes.h"
#include "tools/harvest/HarvestCommand.h"

namespace halvane::harvest {

using namespace liverun;
using namespace liverun::testing;

inline std::optional<THarvestOptions> Parse(std::vector<std::string> args, std::string* errorOut = nullptr) {
  std::string error;
  auto options = ParseHarvestArguments(args, error);
  if (errorOut) *errorOut = error;
  EXPECT_EQ(options.has_value(), error.empty()) << error;
  return options;
}

// Sources for halvane-harvest: three pages for any keyword; the second links
// to the user; the third never answers when slow is set.
struct THarvestFixture {
  explicit THarvestFixture(bool slow = false) {
    auto harvest = std::make_unique<TFakeHarvest>();
    harvest->Addresses = {"https://a.example.org/1", "https://b.example.net/2", "https://c.example.com/3"};
    Harvest = harvest.get();
    auto pages = std::make_unique<TFakeFetcher>(2);
    pages->Pages[harvest->Addresses[0]] = {Answer(200, QualifyingPage("", "")), 0};
    pages->Pages[harvest->Addresses[1]] = {Answer(200, QualifyingPage("mine.com", "Mine")), 0};
    pages->Pages[harvest->Addresses[2]] = {Answer(200, QualifyingPage("", "")), slow ? 60000 : 5};
    auto authority = std::make_unique<TFakeAuthority>();
    authority->Figures = {{"example.org", 4}, {"example.net", 7}};
    Authority = authority.get();
    auto ranking = std::make_unique<TFakeRanking>();
    ranking->Cells = {{"https://b.example.net/2", "1,234"}};
    Parts.Harvest = std::move(harvest);
    Parts.Pages = std::move(pages);
    Parts.Authority = std::move(authority);
    Parts.Ranking = std::move(ranking);
    Parts.Judge = ClassicPageJudge;
  }
  int Run(const THarvestOptions& options, const std::atomic<bool>& interrupted = std::atomic<bool>(false),
          store::TStore* store = nullptr) {
    return RunHarvest(options, Parts, {Out, Err, TProgressReport::TStyle::Lines}, interrupted, store);
  }
  TLiveRunParts Parts;
  TFakeHarvest* Harvest = nullptr;
  TFakeAuthority* Authority = nullptr;
  std::ostringstream Out;
  std::ostringstream Err;
};

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace halvane::harvest
