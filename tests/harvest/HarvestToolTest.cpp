// halvane-harvest run as a program against the simulated web over TLS: its
// CSV and JSON compared byte for byte with the model, its exit codes, and
// Ctrl-C.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <functional>
#include <optional>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "store/OpenStore.h"
#include "tests/support/TLiveSimSetup.h"
#include "tests/support/TSimProcess.h"
#include "tests/support/TSimSuite.h"

namespace {

using halvane::test::TLiveSimSetup;
using halvane::test::TSimProcess;
using halvane::test::TSimSuite;
namespace fs = std::filesystem;

struct TToolResult {
  int ExitCode = -1;
  std::string Out;
  std::string Err;
  std::optional<std::chrono::steady_clock::time_point> Interrupted;
};

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// Runs halvane-harvest with args. With interruptWhen, its standard error
// comes through a pipe and SIGINT is sent as soon as what it printed so far
// satisfies interruptWhen; Interrupted then says when.
using TInterruptWhen = std::function<bool(const std::string& err)>;
TToolResult RunTool(const std::vector<std::string>& args, const std::string& folder,
                    const TInterruptWhen& interruptWhen = {}, int signal = SIGINT) {
  const std::string out = folder + "/stdout.txt";
  const std::string err = folder + "/stderr.txt";
  int pipeEnds[2] = {-1, -1};
  if (interruptWhen && pipe(pipeEnds) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    if (!freopen(out.c_str(), "w", stdout) || !freopen(err.c_str(), "w", stderr)) _exit(127);
    if (interruptWhen) {
      dup2(pipeEnds[1], STDERR_FILENO);
      close(pipeEnds[0]);
      close(pipeEnds[1]);
    }
    std::vector<char*> argv;
    std::string program = HALVANE_HARVEST_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (std::string& arg : copies) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  TToolResult result;
  if (interruptWhen) {
    close(pipeEnds[1]);
    // Read to the end (the tool never blocks on a full pipe); the event is
    // what the tool says, however long a busy machine takes to get there.
    char buffer[4096];
    for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) != 0;) {
      if (got < 0) {
        if (errno == EINTR) continue;
        break;
      }
      result.Err.append(buffer, static_cast<std::size_t>(got));
      if (!result.Interrupted && interruptWhen(result.Err)) {
        result.Interrupted = std::chrono::steady_clock::now();
        kill(child, signal);
      }
    }
    close(pipeEnds[0]);
  }
  int status = 0;
  waitpid(child, &status, 0);
  result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.Out = ReadFile(out);
  if (!interruptWhen) result.Err = ReadFile(err);
  return result;
}

constexpr char kBuiltInWeb[] = "";

class HarvestTool : public TSimSuite<kBuiltInWeb> {
 protected:
  void SetUp() override {
    Setup = std::make_unique<TLiveSimSetup>(Sim());
    setenv("XDG_CACHE_HOME", (Setup->Folder() + "/cache").c_str(), 1);
  }
  std::string Path(const std::string& name) const { return Setup->Folder() + "/" + name; }

  std::unique_ptr<TLiveSimSetup> Setup;
};

TEST_F(HarvestTool, OneKeywordWritesTheModelsRowsAsCsv) {
  const TToolResult result = RunTool({"--sources", Setup->SourcesFile(), "--keyword", "blue widgets", "--domain",
                                      "  MyShop.Example ", "--csv", Path("out.csv")},
                                     Setup->Folder());
  EXPECT_EQ(result.ExitCode, 0) << result.Err;
  const std::string expected = Setup->ExpectedCsv("blue widgets", 1, "myshop.example");
  ASSERT_GT(std::count(expected.begin(), expected.end(), '\n'), 5);
  EXPECT_EQ(ReadFile(Path("out.csv")), expected);
  EXPECT_TRUE(result.Out.empty());
}

TEST_F(HarvestTool, TheSameBytesWhateverTheParallelism) {
  for (const char* parallel : {"1", "8"}) {
    const TToolResult result =
        RunTool({"--sources", Setup->SourcesFile(), "--keyword", "garden tools", "--domain", "myshop.example",
                 "--depth", "3", "--parallel", parallel, "--quiet"},
                Setup->Folder());
    EXPECT_EQ(result.ExitCode, 0) << result.Err;
    EXPECT_EQ(result.Out, Setup->ExpectedCsv("garden tools", 3, "myshop.example")) << "parallel " << parallel;
    EXPECT_TRUE(result.Err.empty());
  }
}

TEST_F(HarvestTool, SeveralKeywordsGoOneAfterAnotherIntoJson) {
  std::ofstream(Path("keywords.txt")) << "blue widgets\n\ngarden tools\n";
  const TToolResult result = RunTool({"--sources", Setup->SourcesFile(), "--keywords", Path("keywords.txt"),
                                      "--domain", "myshop.example", "--json", Path("out.json"), "--quiet"},
                                     Setup->Folder());
  EXPECT_EQ(result.ExitCode, 0) << result.Err;
  const nlohmann::ordered_json rows = nlohmann::ordered_json::parse(ReadFile(Path("out.json")));
  nlohmann::ordered_json expected = nlohmann::ordered_json::array();
  for (const char* keyword : {"blue widgets", "garden tools"}) {
    for (const auto& row : Setup->ExpectedRows(keyword, 1, "myshop.example")) {
      // The simulator's model speaks in cells; JSON holds the figures.
      const auto number = [](std::string cell) -> nlohmann::ordered_json {
        if (cell == "-") return nullptr;
        std::erase(cell, ',');
        return std::stoll(cell);
      };
      expected.push_back({{"keyword", keyword},
                          {"authority", number(row[0])},
                          {"url", row[1]},
                          {"comments", row[2] == "Open" ? "open" : "closed"},
                          {"comment_links", row[3] == "None yet" ? "none" : row[3] == "Mixed" ? "mixed" : "followed"},
                          {"has_your_link", row[4] == "Yes"},
                          {"anchor", row[5] == "-" ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(row[5])},
                          {"traffic_rank", number(row[6])}});
    }
  }
  EXPECT_EQ(rows, expected);
  EXPECT_EQ(ReadFile(Path("out.json")), expected.dump(2) + "\n");
}

TEST_F(HarvestTool, ExitCodesSayWhatWentWrong) {
  // A refused key: the run finishes with "-" and exit 1 with the reason.
  std::string text = ReadFile(Setup->SourcesFile());
  text.replace(text.find("sim-opr-key"), 11, "wrong-key");
  std::ofstream(Path("badkey.ini")) << text;
  TToolResult result = RunTool({"--sources", Path("badkey.ini"), "--keyword", "blue widgets", "--quiet"},
                               Setup->Folder());
  EXPECT_EQ(result.ExitCode, 1);
  EXPECT_NE(result.Err.find("refused the API key"), std::string::npos) << result.Err;
  EXPECT_NE(result.Out.find("\"-\",\"http"), std::string::npos);

  std::ofstream(Path("typo.ini")) << "[network]\nparalel = 3\n";
  result = RunTool({"--sources", Path("typo.ini"), "--keyword", "x"}, Setup->Folder());
  EXPECT_EQ(result.ExitCode, 2);
  EXPECT_NE(result.Err.find("line 2: unknown key 'paralel' in [network]"), std::string::npos) << result.Err;

  result = RunTool({"--sources", Setup->SourcesFile(), "--keyword", "x", "--depth", "11"}, Setup->Folder());
  EXPECT_EQ(result.ExitCode, 2);
  EXPECT_NE(result.Err.find("usage: halvane-harvest"), std::string::npos);

  std::ofstream(Path("classic.ini")) << "[search]\nengine = classic\n";
  result = RunTool({"--sources", Path("classic.ini"), "--keyword", "x"}, Setup->Folder());
  EXPECT_EQ(result.ExitCode, 2);
}

TEST_F(HarvestTool, CtrlCStopsAndKeepsTheRowsSoFar) {
  ASSERT_TRUE(Sim().SetFaults(TLiveSimSetup::BlogRules(6, "head-delay:150")));
  // Ctrl-C once the progress report shows a row (its lines come at most once
  // a second, each page judged giving the next).
  const TToolResult result = RunTool({"--sources", Setup->SourcesFile(), "--keyword", "blue widgets", "--domain",
                                      "myshop.example", "--depth", "5", "--parallel", "1", "--csv",
                                      Path("out.csv")},
                                     Setup->Folder(), [](const std::string& err) {
                                       return err.find(" rows, ") != std::string::npos &&
                                              err.find(" 0 rows, ", err.rfind("pages judged")) == std::string::npos;
                                     });
  Sim().ClearFaults();
  ASSERT_TRUE(result.Interrupted) << result.Err;
  EXPECT_EQ(result.ExitCode, 130) << result.Err;
  // An upper bound only, against a run that ignored Ctrl-C (it has minutes
  // of pages left); that it stopped early is checked below on the rows.
  EXPECT_LT(std::chrono::steady_clock::now() - *result.Interrupted, std::chrono::seconds(5));
  // Some rows, exactly the first ones of a whole run; an authority figure
  // still awaited when the run stopped shows "-".
  std::istringstream written(ReadFile(Path("out.csv")));
  std::istringstream expected(Setup->ExpectedCsv("blue widgets", 5, "myshop.example"));
  std::string line;
  std::string wanted;
  int rows = -1;
  while (std::getline(written, line)) {
    ASSERT_TRUE(std::getline(expected, wanted));
    if (line.rfind("\"-\",", 0) == 0) wanted = "\"-\"" + wanted.substr(wanted.find(','));
    EXPECT_EQ(line, wanted);
    ++rows;
  }
  EXPECT_GT(rows, 0);
  EXPECT_TRUE(std::getline(expected, wanted));  // the whole run has more
  EXPECT_NE(result.Err.find("stopped"), std::string::npos) << result.Err;
}

// Killed outright (no handler runs) while it judges: the store opens, the
// run is recorded as never ended, every verdict kept belongs to a page, and
// the next run carries on in the same store.
TEST_F(HarvestTool, AKilledRunLeavesAConsistentStore) {
  ASSERT_TRUE(Sim().SetFaults(TLiveSimSetup::BlogRules(6, "head-delay:150")));
  const std::string db = Path("store.db");
  const std::vector<std::string> args = {"--sources", Setup->SourcesFile(), "--keyword", "blue widgets",
                                         "--depth", "5", "--parallel", "1", "--db", db, "--csv", Path("out.csv")};
  const TToolResult killed = RunTool(args, Setup->Folder(), [](const std::string& err) {
    return err.find(" rows, ") != std::string::npos &&
           err.find(" 0 rows, ", err.rfind("pages judged")) == std::string::npos;
  }, SIGKILL);
  Sim().ClearFaults();
  ASSERT_TRUE(killed.Interrupted) << killed.Err;
  EXPECT_EQ(killed.ExitCode, -1);  // ended by the signal
  EXPECT_FALSE(fs::exists(Path("out.csv")));

  bool keptBefore = false;
  {
    const std::unique_ptr<halvane::store::TStore> store = halvane::store::OpenStore(db);
    const auto runs = store->Runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_FALSE(runs[0].Ended.has_value());
    for (const auto& entry : store->History(0)) {
      EXPECT_FALSE(store->Verdicts(entry.Page.Address).empty()) << entry.Page.Address;
      keptBefore = keptBefore || entry.Verdict.Reason.empty();
    }
  }
  const TToolResult again = RunTool(args, Setup->Folder());
  EXPECT_EQ(again.ExitCode, 0) << again.Err;
  const std::unique_ptr<halvane::store::TStore> store = halvane::store::OpenStore(db);
  ASSERT_EQ(store->Runs().size(), 2u);
  EXPECT_TRUE(store->Runs()[1].Ended.has_value());
  // Rows the killed run had judged are not new.
  EXPECT_EQ(ReadFile(Path("out.csv")).find("\"No\"\r\n") != std::string::npos, keptBefore);
}

// The verbs as a user runs them against the simulated web: a search fills
// the store and its links, a page added by hand, a blacklisted blog, the
// recheck that finds the links again, the history and judge --urls.
TEST(HarvestWorkbench, TheVerbsAgainstTheSimulatedWeb) {
  // Today's blogs: the user's link sits in the comments.
  TSimProcess sim(std::string(HALVANE_TEST_DATA) + "/sim/live-modern.conf");
  const TLiveSimSetup setup(sim);
  const auto Path = [&](const std::string& name) { return setup.Folder() + "/" + name; };
  const std::string db = Path("store.db");
  const auto run = [&](std::vector<std::string> args) {
    args.insert(args.end(), {"--db", db, "--sources", setup.SourcesFile()});
    return RunTool(args, setup.Folder());
  };
  TToolResult result = run({"--keyword", "blue widgets", "--domain", "myshop.example", "--csv", Path("out.csv")});
  ASSERT_EQ(result.ExitCode, 0) << result.Err;
  std::vector<std::string> found;
  {
    const std::unique_ptr<halvane::store::TStore> store = halvane::store::OpenStore(db);
    for (const auto& link : store->Links()) found.push_back(link.Address);
  }
  ASSERT_FALSE(found.empty());  // the model's pages with the user's link

  // A page of a blog without the user's link, recorded by hand.
  const std::unique_ptr<halvane::store::TStore> store = halvane::store::OpenStore(db);
  std::string plain;
  for (const auto& entry : store->History(0)) {
    if (entry.Verdict.Reason.empty() && entry.Verdict.HasYourLink == false) plain = entry.Page.Address;
  }
  ASSERT_FALSE(plain.empty());
  result = run({"links", "add", plain});
  EXPECT_EQ(result.ExitCode, 0) << result.Err;
  EXPECT_NE(result.Err.find(": recorded"), std::string::npos);

  result = run({"recheck", "--domain", "myshop.example", "--csv", Path("recheck.csv")});
  EXPECT_EQ(result.ExitCode, 3) << result.Err;  // the page added by hand has no link
  const std::string recheck = ReadFile(Path("recheck.csv"));
  for (const std::string& address : found) {
    EXPECT_NE(recheck.find("\"" + address + "\",\"present, "), std::string::npos) << address << "\n" << recheck;
  }
  EXPECT_NE(recheck.find("\"" + plain + "\",\"missing\",\"first check\""), std::string::npos) << recheck;

  // A blacklisted blog is never fetched again; --new-only skips the rest.
  const std::string host = plain.substr(7, plain.find('/', 7) - 7);
  result = run({"blacklist", "add", host.substr(0, host.find(':'))});
  EXPECT_EQ(result.ExitCode, 0) << result.Err;
  result = run({"--keyword", "blue widgets", "--new-only", "--report", Path("report.csv")});
  EXPECT_EQ(result.ExitCode, 0) << result.Err;
  const std::string report = ReadFile(Path("report.csv"));
  EXPECT_NE(report.find("\"blacklisted\""), std::string::npos) << report;
  EXPECT_NE(report.find("\"judged recently\""), std::string::npos) << report;
  EXPECT_EQ(report.find("\"kept\""), std::string::npos) << report;

  // A page with the user's link on a blog that is not blacklisted.
  const auto other = std::find_if(found.begin(), found.end(), [&](const std::string& address) {
    return address.find("//" + host + "/") == std::string::npos;
  });
  ASSERT_NE(other, found.end());
  std::ofstream(Path("urls.txt")) << "# one page again\n" << *other << "\n";
  result = run({"judge", "--urls", Path("urls.txt"), "--domain", "myshop.example", "--json", Path("judged.json")});
  EXPECT_EQ(result.ExitCode, 0) << result.Err;
  const auto judged = nlohmann::json::parse(ReadFile(Path("judged.json")));
  ASSERT_EQ(judged.size(), 1u);
  EXPECT_EQ(judged[0]["has_your_link"], true);
  EXPECT_EQ(judged[0]["new"], false);

  result = run({"history", "--json", Path("history.json")});
  EXPECT_EQ(result.ExitCode, 0) << result.Err;
  EXPECT_EQ(nlohmann::json::parse(ReadFile(Path("history.json"))).size(),
            static_cast<std::size_t>(store->Counts().Pages));
}

}  // namespace
