#include "tests/support/TLiveSimSetup.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "tools/sim/LiveExpectation.h"
#include "tools/sim/LiveSearch.h"
#include "tools/sim/TSimConfig.h"
#include "tools/sim/TSimWeb.h"
#include "tools/sim/TTrancoDownload.h"
#include "tools/sim/TExpectedLiveRow.h"

namespace halvane::test {
namespace {

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  file << text;
  if (!file) throw std::runtime_error("cannot write " + path);
}

std::string CsvField(const std::string& text) {
  std::string field = "\"";
  for (char c : text) {
    if (c == '"') field += '"';
    field += c;
  }
  return field + "\"";
}

}  // namespace

TLiveSimSetup::TLiveSimSetup(const TSimProcess& sim, const std::string& extraNetwork) : sim_(sim) {
  std::string pattern = (std::filesystem::temp_directory_path() / "halvane-live-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
  folder_ = pattern;
  sourcesFile_ = folder_ + "/sources.ini";
  trancoFile_ = folder_ + "/tranco.csv";
  const sim::TSimWeb web(sim::DefaultSimConfig(), sim.Port());
  WriteText(trancoFile_, sim::TTrancoDownload(web).Csv());
  const std::string base = sim.HttpsServiceUrl();
  WriteText(sourcesFile_, "[search]\nengine = searxng\nsearxng-url = " + base +
                              "/\n"
                              "[authority]\nsource = openpagerank\nopenpagerank-url = " +
                              base + "/v1/domains/bulk\nopenpagerank-key = sim-opr-key\n" +
                              "[ranking]\nsource = tranco\ntranco = " + trancoFile_ +
                              "\ntranco-url = " + base + "/top-1m.csv.zip\n" +
                              "[pages]\ntest = modern\n"
                              // A test that wants a store names one (--db): none
                              // ever lands in the user's own data folder.
                              "[store]\nuse = no\n"
                              "[network]\nhost-delay-ms = 0\nprivate-addresses = allow\nca-file = " +
                              sim.CaFile() + "\n" + extraNetwork + (extraNetwork.empty() ? "" : "\n"));
}

TLiveSimSetup::~TLiveSimSetup() {
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

std::vector<TLiveSimRow> TLiveSimSetup::ExpectedRows(std::string_view keyword, int depth,
                                                     std::string_view userDomain) const {
  const sim::TSimWeb web(sim::DefaultSimConfig(), sim_.Port());
  const std::vector<std::string> harvest =
      sim::ExpectedLiveHarvest(web, sim::TLiveEngine::Searxng, keyword, static_cast<std::size_t>(depth) * 100);
  std::vector<TLiveSimRow> rows;
  for (const sim::TExpectedLiveRow& row :
       sim::ExpectedLiveRows(web, harvest, userDomain, sim::SimulatedFigures(web))) {
    rows.push_back(
        {row.authority, row.url, row.comments, row.commentLinks, row.hasYourLink, row.anchorName, row.trafficRank});
  }
  return rows;
}

std::string TLiveSimSetup::BlogRules(int sites, const std::string& faults) {
  std::string rules;
  for (int site = 2; site < sites + 2; ++site) rules += "127.0.0." + std::to_string(site) + ": " + faults + "\n";
  return rules;
}

std::string TLiveSimSetup::ExpectedCsv(std::string_view keyword, int depth, std::string_view userDomain) const {
  std::string text =
      "\"Authority\",\"URL\",\"Comments\",\"Comment Links\",\"Has Your Link\",\"Anchor Name\",\"Traffic Rank\"\r\n";
  for (const TLiveSimRow& row : ExpectedRows(keyword, depth, userDomain)) {
    for (std::size_t i = 0; i < row.size(); ++i) text += (i ? "," : "") + CsvField(row[i]);
    text += "\r\n";
  }
  return text;
}

}  // namespace halvane::test
