// The page test on pages a real WordPress served (Debian's package, its
// default classic and block themes, threaded comments on and off, plugins
// that take nofollow out), against the verdicts WordPress's own data gives
// (tests/data/pagetest/wordpress, made by tools/wordpress-pages).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/TextScan.h"
#include "pagetest/PageTest.h"

namespace halvane::pagetest {
namespace {

const std::filesystem::path kFolder = std::filesystem::path(HALVANE_TEST_DATA) / "pagetest" / "wordpress";

struct TEntry {
  std::string File, Address, Site, WordPress, Comments, CommentLinks, HasYourLink, Anchor;
};

std::vector<TEntry> Manifest() {
  std::ifstream in(kFolder / "manifest.tsv");
  EXPECT_TRUE(in) << "no manifest in " << kFolder;
  std::vector<TEntry> entries;
  std::string line;
  std::vector<std::string> cells;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    SplitString('\t', line, cells);
    EXPECT_EQ(cells.size(), 8u) << line;
    if (cells.size() != 8) continue;
    entries.push_back({cells[0], cells[1], cells[2], cells[3], cells[4], cells[5], cells[6], cells[7]});
  }
  return entries;
}

std::string ReadPage(const std::string& name) {
  std::ifstream in(kFolder / name, std::ios::binary);
  EXPECT_TRUE(in) << name;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string HostOf(const std::string& address) {
  const std::size_t start = address.find("://") + 3;
  return address.substr(start, address.find_first_of(":/", start) - start);
}

void ExpectVerdict(const TPageVerdict& verdict, const TEntry& entry) {
  EXPECT_EQ(verdict.IsWordPress ? "yes" : "no", entry.WordPress);
  EXPECT_EQ(CommentsCell(verdict), entry.Comments);
  EXPECT_EQ(CommentLinksCell(verdict), entry.CommentLinks);
  EXPECT_EQ(YourLinkCell(verdict), entry.HasYourLink);
  EXPECT_EQ(verdict.Anchor, entry.Anchor);
  EXPECT_EQ(verdict.Qualifies, entry.WordPress == "yes" && entry.CommentLinks != "nofollow") << verdict.Reason;
}

TEST(WordPressPagesTest, EveryServedPageGivesTheVerdictOfWordPressData) {
  const std::vector<TEntry> entries = Manifest();
  ASSERT_GE(entries.size(), 30u);
  std::set<std::string> verdicts;
  for (const TEntry& entry : entries) {
    SCOPED_TRACE(entry.File);
    const std::string html = ReadPage(entry.File);
    const std::string host = HostOf(entry.Address);
    TPageContext context;
    context.UserDomain = "myshop.example";
    context.PageHost = host;
    context.PageSite = entry.Site;
    context.ContentType = "text/html; charset=UTF-8";
    const TPageVerdict verdict = TestPage(html, context);
    ExpectVerdict(verdict, entry);
    // Without its address a post names itself by its canonical link (a 404
    // page has none, and no comments to tell apart).
    const TPageVerdict saved = TestModernPage(html, "https://www.MyShop.example/");
    ExpectVerdict(saved, entry);
    if (entry.File.find("not-found") == std::string::npos) {
      EXPECT_EQ(saved.PageHost, host);
      EXPECT_EQ(verdict.Canonical, entry.Address);
    }
    verdicts.insert(entry.CommentLinks + "/" + entry.Comments);
  }
  // Open and closed comments with each verdict the blogs can give.
  for (const char* seen : {"Followed/Open", "Followed/Closed", "Mixed/Open", "nofollow/Open", "None yet/Open",
                           "None yet/Closed"}) {
    EXPECT_EQ(verdicts.count(seen), 1u) << seen;
  }
}

TEST(WordPressPagesTest, EverySavedPageIsInTheManifest) {
  std::set<std::string> listed;
  for (const TEntry& entry : Manifest()) listed.insert(entry.File);
  for (const auto& file : std::filesystem::directory_iterator(kFolder)) {
    const std::string name = file.path().filename().string();
    if (name != "manifest.tsv") {
      EXPECT_EQ(listed.count(name), 1u) << name << " has no expected verdict";
    }
  }
}

}  // namespace
}  // namespace halvane::pagetest
