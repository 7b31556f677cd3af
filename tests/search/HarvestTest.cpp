#include "search/Harvest.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace halvane {
namespace {

using Strings = std::vector<std::string>;

std::string Link(std::string_view target) {
  return "<a href=\"/url?q=" + std::string(target) + "\">x</a>";
}

Strings Harvest(const std::string& page, bool* goesOn = nullptr) {
  THarvestedUrls urls;
  const bool more = HarvestResultPage(page, "http://images.google", urls);
  if (goesOn) *goesOn = more;
  return urls.Items();
}

TEST(HarvestAddress, QueryIsQuotedAndEncoded) {
  EXPECT_EQ(BuildResultPageAddress("www.search.test", "blue widgets", 2),
            "http://www.search.test/search?num=100&hl=en&q=%22blue+widgets%22+%22comment%22+"
            "%22powered+by+wordpress%22&btnG=Search&start=200");
  EXPECT_EQ(BuildResultPageAddress("h", "web 2.0", 0),
            "http://h/search?num=100&hl=en&q=%22web+%32.%30%22+%22comment%22+"
            "%22powered+by+wordpress%22&btnG=Search&start=0");
  // A keyword of blanks is searched as it is.
  EXPECT_NE(BuildResultPageAddress("h", "   ", 9).find("q=%22+++%22+%22comment"),
            std::string::npos);
  EXPECT_TRUE(BuildResultPageAddress("h", "k", 9).ends_with("&start=900"));
}

TEST(HarvestedUrls, CaseInsensitiveOnceFirstFormKept) {
  THarvestedUrls urls;
  EXPECT_TRUE(urls.Add("http://Blog.test/Post"));
  EXPECT_FALSE(urls.Add("http://blog.test/post"));
  EXPECT_FALSE(urls.Add("HTTP://BLOG.TEST/POST"));
  // The code page's own letters fold too: E acute upper and lower.
  EXPECT_TRUE(urls.Add("http://caf\xC9.test/"));
  EXPECT_FALSE(urls.Add("http://caf\xE9.test/"));
  EXPECT_TRUE(urls.Contains("http://CAF\xE9.TEST/"));
  EXPECT_EQ(urls.Items(), (Strings{"http://Blog.test/Post", "http://caf\xC9.test/"}));
  urls.Clear();
  EXPECT_TRUE(urls.Empty());
  EXPECT_TRUE(urls.Add("http://blog.test/post"));
}

// Each taken link is followed by the test for a pager after it, so the first
// link taken after the last pager is the last one taken.
TEST(HarvestResultPage, WalkEndsWithFirstLinkTakenAfterThePager) {
  const std::string page = Link("http://a.test/1") + Link("http://A.test/1") +
                           Link("https://secure.test/") + Link("/relative") +
                           Link("http://images.google.test/img") +
                           Link("HTTP://IMAGES.GOOGLE.test/x") + Link("http://b.test/2") +
                           "<b>Next</b>" + Link("https://s.test/") + Link("http://c.test/") +
                           Link("http://d.test/");
  bool goesOn = true;
  EXPECT_EQ(Harvest(page, &goesOn),
            (Strings{"http://a.test/1", "http://b.test/2", "http://c.test/"}));
  EXPECT_FALSE(goesOn);
  EXPECT_EQ(Harvest(Link("http://a.test/") + Link("http://b.test/") + "Next<", &goesOn),
            (Strings{"http://a.test/", "http://b.test/"}));
  EXPECT_TRUE(goesOn);
}

TEST(HarvestResultPage, PageWithoutPagerGivesOneAddressAndEnds) {
  bool goesOn = true;
  EXPECT_EQ(Harvest(Link("https://s.test/") + Link("http://a.test/") + Link("http://b.test/"),
                    &goesOn),
            Strings{"http://a.test/"});
  EXPECT_FALSE(goesOn);
  // Skipped links do not end the walk early, even without a pager.
  EXPECT_EQ(Harvest(Link("https://s.test/") + Link("/rel")), Strings{});
}

TEST(HarvestResultPage, LinkTextStoredVerbatimAndMarkerExact) {
  // The loop test wants the marker in its exact spelling.
  EXPECT_EQ(Harvest("<a HREF=\"/url?q=http://upper.test/\">Next<"), Strings{});
  EXPECT_EQ(Harvest(Link("http://a.test/?x=%41&sa=U") + "Next<"),
            Strings{"http://a.test/?x=%41&sa=U"});
  // A link without its closing quote yields nothing and the walk still ends.
  bool goesOn = false;
  EXPECT_EQ(Harvest("Next< href=\"/url?q=http://open.test/", &goesOn), Strings{});
  EXPECT_FALSE(goesOn);
}

TEST(HarvestResultPage, PageWithoutLinksGoesOnOnlyWithPager) {
  bool goesOn = false;
  Harvest("no results here Next<", &goesOn);
  EXPECT_TRUE(goesOn);
  Harvest("no results here", &goesOn);
  EXPECT_FALSE(goesOn);
}

TEST(HarvestResultPage, StopEndsTheWalk) {
  const std::string page = Link("http://a.test/") + Link("http://b.test/") + "Next<";
  THarvestedUrls urls;
  int checks = 0;
  const bool goesOn = HarvestResultPage(page, "", urls, [&] { return ++checks > 1; });
  EXPECT_FALSE(goesOn);
  EXPECT_EQ(urls.Items(), Strings{"http://a.test/"});
}

TEST(HarvestResults, FetchesUpToDepthAndSkipsFailedPages) {
  const std::string pager = "Next<";
  std::map<int, std::optional<std::string>> pages = {
      {0, Link("http://a.test/") + Link("http://b.test/") + pager},
      {1, std::nullopt},  // not fetched: the harvest goes on
      {2, Link("http://B.TEST/") + Link("http://c.test/") + pager},
  };
  Strings requested;
  auto fetch = [&](const std::string& address) -> std::optional<std::string> {
    requested.push_back(address);
    const int start = std::stoi(address.substr(address.rfind('=') + 1));
    auto it = pages.find(start / 100);
    return it == pages.end() ? std::optional<std::string>(pager) : it->second;
  };
  int events = 0;
  THarvestedUrls urls;
  urls.Add("http://stale.test/");
  HarvestResults("h", "", "k", 2, fetch, [] { return false; }, [&] { ++events; }, urls);
  EXPECT_EQ(requested.size(), 3u);
  EXPECT_EQ(urls.Items(), (Strings{"http://a.test/", "http://b.test/", "http://c.test/"}));
  EXPECT_EQ(events, 2);

  requested.clear();
  HarvestResults("h", "", "k", -1, fetch, {}, {}, urls);
  EXPECT_TRUE(requested.empty());
  EXPECT_TRUE(urls.Empty());

  // A page without the pager ends the harvest.
  pages[0] = Link("http://only.test/");
  HarvestResults("h", "", "k", 9, fetch, {}, {}, urls);
  EXPECT_EQ(requested.size(), 1u);
}

TEST(HarvestResults, StopAfterFetchEndsWithoutFurtherRequests) {
  int fetches = 0;
  bool stop = false;
  auto fetch = [&](const std::string&) -> std::optional<std::string> {
    ++fetches;
    stop = true;  // Stop pressed while the page was loading
    return Link("http://a.test/") + "Next<";
  };
  THarvestedUrls urls;
  HarvestResults("h", "", "k", 9, fetch, [&] { return stop; }, {}, urls);
  EXPECT_EQ(fetches, 1);
  EXPECT_TRUE(urls.Empty());
}

}  // namespace
}  // namespace halvane
