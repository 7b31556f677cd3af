// The model of the simulated web: configuration, page names, pages and the
// expectations derived from them, without a server.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>

#include "tools/sim/Expectation.h"
#include "tools/sim/SimText.h"
#include "tools/sim/TSearchEngine.h"
#include "tools/sim/TSimConfig.h"
#include "tools/sim/TSimWeb.h"

namespace halvane::sim {
namespace {

constexpr int kPort = 8123;

TSimConfig SmallConfig() { return LoadSimConfig(std::string(HALVANE_TEST_DATA) + "/sim/small.conf"); }

TEST(SimConfig, DefaultsMakeADemoWeb) {
  const TSimConfig c = DefaultSimConfig();
  EXPECT_EQ(c.publishedVersion, "2.20");
  EXPECT_EQ(c.userDomain, "myshop.example");
  EXPECT_GE(c.sites, 5);
  EXPECT_EQ(c.newsItems.size(), 3u);
  EXPECT_EQ(c.newsTypes, (std::vector<std::string>{"BM", "BP", "BG"}));
  EXPECT_TRUE(c.faultRules.empty());
}

TEST(SimConfig, FileOverridesDefaults) {
  const TSimConfig c = SmallConfig();
  EXPECT_EQ(c.sites, 5);
  EXPECT_EQ(c.pagesPerSite, 30);
  EXPECT_EQ(c.seed, 7u);
  EXPECT_EQ(c.userDomain, "myshop.example");  // lower-cased
  EXPECT_EQ(c.publishedVersion, "2.30");
  EXPECT_EQ(c.newsTypes, (std::vector<std::string>{"BM", "BG"}));
  ASSERT_EQ(c.newsItems.size(), 2u);  // the file's items replace the defaults
  EXPECT_EQ(c.newsItems[1].id, 12u);
  EXPECT_EQ(c.newsItems[1].title, "Second news");
  EXPECT_EQ(c.newsItems[1].body, "<p>It's \"quoted\" caf\xE9</p>");
  EXPECT_EQ(c.keywordPages.at("nothing here"), 0);
  EXPECT_EQ(c.keywordPages.at("blue widgets"), 3);
}

TEST(SimConfig, RejectsBadLinesNamingThem) {
  auto message = [](const std::string& text) {
    try {
      ParseSimConfig(text);
    } catch (const std::runtime_error& e) {
      return std::string(e.what());
    }
    return std::string("accepted");
  };
  EXPECT_EQ(message("sites = 3\ncolour = red\n"), "config line 2: unknown key colour");
  EXPECT_NE(message("sites = 0").find("line 1"), std::string::npos);
  EXPECT_NE(message("sites = 251").find("line 1"), std::string::npos);
  EXPECT_NE(message("# c\n\nkeyword = 11 too deep").find("line 3"), std::string::npos);
  EXPECT_NE(message("news.item = 5 | no date").find("line 1"), std::string::npos);
  EXPECT_NE(message("news.item = 5 | a^b | d | body").find("line 1"), std::string::npos);
  EXPECT_NE(message("fault = /search").find("line 1"), std::string::npos);
  EXPECT_NE(message("just words").find("line 1"), std::string::npos);
  EXPECT_EQ(message("news.none = 1\nseed = 4294967295\n"), "accepted");
}

TEST(SimText, PageNamesFollowTheProgramsRules) {
  EXPECT_EQ(StripAddressPrefixes("http://www.s.example/2008/01/post/"), "s.example/2008/01/post/");
  EXPECT_EQ(StripAddressPrefixes("http://blog.s.example/x"), "blog.s.example/x");
  EXPECT_EQ(StripHomeAddressPrefixes("http://www.s.example/"), "s.example");
  EXPECT_EQ(HomePageAddress("http://127.0.0.2:80/blog/post/&amp;sa=U"), "http://127.0.0.2:80");
  EXPECT_EQ(HomePageAddress("http://host"), "http://host");
}

TEST(SimText, DecodingAndGrouping) {
  EXPECT_EQ(DecodePercent("%22a+b%22%2", true), "\"a b\"%2");
  EXPECT_EQ(DecodePercent("a+b%zz", false), "a+b%zz");
  EXPECT_EQ(GroupThousands(0), "0");
  EXPECT_EQ(GroupThousands(999), "999");
  EXPECT_EQ(GroupThousands(1234567), "1,234,567");
  EXPECT_EQ(ParseDecimal("18446744073709551616", ~0ull), std::nullopt);
  EXPECT_EQ(ParseDecimal("", 5), std::nullopt);
  EXPECT_EQ(ParseDecimal("-1", 5), std::nullopt);
}

TEST(SimWeb, SitesHaveDistinctHomeRanksAndEveryRankingForm) {
  const TSimWeb web(SmallConfig(), kPort);
  std::set<int> ranks;
  std::set<TRankingForm> forms;
  for (int s = 0; s < web.SiteCount(); ++s) {
    ranks.insert(web.HomeRank(s));
    forms.insert(web.RankingForm(s));
    EXPECT_EQ(web.SiteOfHost(web.SiteHost(s)), s);
  }
  EXPECT_EQ(ranks.size(), 5u);
  EXPECT_EQ(forms.size(), 3u);
  EXPECT_EQ(web.SiteOfHost("127.0.0.1:8123"), std::nullopt);
  EXPECT_EQ(web.SiteOfHost("127.0.0.7:8123"), std::nullopt);  // past the last site
  EXPECT_EQ(web.SiteOfHost("127.0.0.2:8124"), std::nullopt);
  EXPECT_EQ(web.ImageSearchPrefix(), "http://images.sim");
}

TEST(SimWeb, PagesCoverEveryFormTheAnalysisMeets) {
  const TSimWeb web(SmallConfig(), kPort);
  std::set<TNofollowForm> nofollow;
  std::set<TUserLinkForm> links;
  bool capital = false;
  bool plain = false;
  for (int s = 0; s < web.SiteCount(); ++s) {
    for (int i = 0; i < web.Config().pagesPerSite; ++i) {
      const TBlogPage p = web.Page(s, i);
      nofollow.insert(p.nofollow);
      links.insert(p.userLink);
      capital = capital || (p.wordPress && p.capitalMarker);
      plain = plain || !p.wordPress;
      const std::string html = web.RenderPage(p);
      EXPECT_EQ(html.find("Next<"), std::string::npos);
      EXPECT_EQ(ContainsText(ToLowerAscii(html), "wp-content"), p.wordPress);
    }
  }
  EXPECT_EQ(nofollow.size(), 5u);
  EXPECT_EQ(links.size(), 5u);
  EXPECT_TRUE(capital);
  EXPECT_TRUE(plain);
}

TEST(SimWeb, FindsPagesByTargetIgnoringTheTrackingTail) {
  const TSimWeb web(SmallConfig(), kPort);
  const TBlogPage p = web.Page(1, 17);
  EXPECT_EQ(web.FindPage(1, p.path + web.TrackingTail(p))->index, 17);
  EXPECT_EQ(web.FindPage(1, p.path + "?p=1")->index, 17);
  EXPECT_EQ(web.FindPage(2, p.path), std::nullopt);  // another site's slug
  EXPECT_EQ(web.FindPage(1, ToUpperAscii(p.path)), std::nullopt);
  EXPECT_EQ(web.FindPage(1, "/blog/2005/01/garden-99999/"), std::nullopt);
  EXPECT_EQ(web.FindPage(1, "/"), std::nullopt);
}

TEST(SimWeb, RankOfPageNamesAsTheProgramSpellsThem) {
  const TSimWeb web(SmallConfig(), kPort);
  const TBlogPage p = web.Page(3, 4);
  const std::string address = web.PageAddress(p) + web.TrackingTail(p);
  EXPECT_EQ(web.RankOf("www." + StripAddressPrefixes(address)), p.rank);
  EXPECT_EQ(web.RankOf("www." + StripHomeAddressPrefixes(HomePageAddress(address))), web.HomeRank(3));
  EXPECT_EQ(web.RankOf("www.127.0.0.5:8123/"), web.HomeRank(3));
  // Outside the web: stable, in range.
  const int other = web.RankOf("www.example.com/");
  EXPECT_EQ(other, web.RankOf("www.example.com/"));
  EXPECT_GE(other, 0);
  EXPECT_LE(other, 10);
}

TEST(SimSearch, KeywordComesOutOfTheProgramsQuery) {
  EXPECT_EQ(TSearchEngine::KeywordOfQuery("\"blue widgets\" \"comment\" \"powered by wordpress\""), "blue widgets");
  EXPECT_EQ(TSearchEngine::KeywordOfQuery("\"say \"hi\"\" \"comment\" \"powered by wordpress\""), "say \"hi\"");
  EXPECT_EQ(TSearchEngine::KeywordOfQuery("\"   \" \"comment\" \"powered by wordpress\""), "   ");
  EXPECT_EQ(TSearchEngine::KeywordOfQuery("plain query"), "plain query");
}

TEST(SimSearch, HarvestFollowsPagesUpToTheLastAndTakesOneLinkThere) {
  const TSimWeb web(SmallConfig(), kPort);
  const TSearchEngine engine(web);
  EXPECT_EQ(engine.PageCount("blue widgets"), 3);
  EXPECT_TRUE(engine.ExpectedHarvest("blue widgets", -1).empty());
  EXPECT_TRUE(engine.ExpectedHarvest("nothing here", 9).empty());

  const auto one = engine.ExpectedHarvest("single page", 9);
  ASSERT_EQ(one.size(), 1u);  // a page without a pager gives its first link
  EXPECT_EQ(one[0], web.PageAddress(engine.Results("single page", 0)[0]) +
                        web.TrackingTail(engine.Results("single page", 0)[0]));

  const auto d0 = engine.ExpectedHarvest("blue widgets", 0);
  const auto d1 = engine.ExpectedHarvest("blue widgets", 1);
  const auto all = engine.ExpectedHarvest("blue widgets", 2);
  EXPECT_EQ(engine.ExpectedHarvest("blue widgets", 9), all);
  EXPECT_LT(d0.size(), d1.size());
  ASSERT_LE(all.size(), d1.size() + 1);
  EXPECT_TRUE(std::equal(d1.begin(), d1.end(), all.begin()));
  std::set<std::string> lower;
  for (const std::string& u : all) {
    EXPECT_TRUE(u.rfind("http://127.0.0.", 0) == 0) << u;
    EXPECT_NE(u.find("&amp;sa=U&amp;ved="), std::string::npos) << u;
    EXPECT_TRUE(lower.insert(ToLowerAscii(u)).second) << "twice: " << u;
  }
}

TEST(SimSearch, ResultPagesCarryTheNoiseAndThePager) {
  const TSimWeb web(SmallConfig(), kPort);
  const TSearchEngine engine(web);
  const std::string first = engine.RenderResultPage("blue widgets", 0);
  const std::string last = engine.RenderResultPage("blue widgets", 2);
  EXPECT_NE(first.find("<span>Next</span>"), std::string::npos);
  EXPECT_EQ(last.find("Next<"), std::string::npos);
  EXPECT_EQ(engine.RenderResultPage("blue widgets", 3).find("/url?q=http://"), std::string::npos);
  bool https = false, image = false, relative = false, shouted = false;
  for (const TResultLink& l : engine.MarkerLinks("blue widgets", 0)) {
    EXPECT_TRUE(l.beforePager);  // nothing with the marker follows the pager
    https = https || l.text.rfind("https://", 0) == 0;
    image = image || l.text.rfind("http://images.sim.test/", 0) == 0;
    relative = relative || l.text.rfind("/", 0) == 0;
    shouted = shouted || l.text.rfind("HTTP://", 0) == 0;
  }
  EXPECT_TRUE(https && image && relative && shouted);
  EXPECT_EQ(engine.MarkerLinks("blue widgets", 0).size() > 100, true);
  EXPECT_EQ(engine.Results("blue widgets", 0).size(), 100u);
  EXPECT_EQ(engine.RenderResultPage("x<y", 0).find("x<y"), std::string::npos);  // escaped
}

TEST(SimExpectation, RowsFollowThePageForms) {
  const TSimWeb web(SmallConfig(), kPort);
  auto find = [&](auto pred) -> std::optional<TBlogPage> {
    for (int s = 0; s < web.SiteCount(); ++s)
      for (int i = 0; i < web.Config().pagesPerSite; ++i)
        if (pred(web.Page(s, i))) return web.Page(s, i);
    return std::nullopt;
  };
  const auto single = find([](const TBlogPage& p) { return p.Qualifies() && p.userLink == TUserLinkForm::SingleQuoted; });
  ASSERT_TRUE(single);
  const std::string address = web.PageAddress(*single) + web.TrackingTail(*single);
  const auto row = ExpectedRow(web, address, "  MyShop.example ");
  ASSERT_TRUE(row);
  EXPECT_EQ(row->url, address);
  EXPECT_EQ(row->hasYourLink, "Yes");
  EXPECT_EQ(row->anchorName, "my <b>shop</b>");
  EXPECT_EQ(row->pageRank, std::to_string(single->rank));
  EXPECT_EQ(row->homePageRank, std::to_string(web.HomeRank(single->site)));
  EXPECT_EQ(row->alexaRanking, web.ShownRanking(single->site));
  const auto noDomain = ExpectedRow(web, address, "");
  EXPECT_EQ(noDomain->hasYourLink, "No");
  EXPECT_EQ(noDomain->anchorName, "-");

  const auto empty = find([](const TBlogPage& p) { return p.Qualifies() && p.userLink == TUserLinkForm::EmptyAnchor; });
  ASSERT_TRUE(empty);
  const auto emptyRow = ExpectedRow(web, web.PageAddress(*empty), "myshop.example");
  EXPECT_EQ(emptyRow->hasYourLink, "Yes");
  EXPECT_EQ(emptyRow->anchorName, "-");

  const auto marked = find([](const TBlogPage& p) { return p.wordPress && p.nofollow == TNofollowForm::Bare; });
  ASSERT_TRUE(marked);
  EXPECT_FALSE(ExpectedRow(web, web.PageAddress(*marked), "myshop.example"));
  EXPECT_FALSE(ExpectedRow(web, "http://127.0.0.1:8123/blog/x/", ""));
  EXPECT_FALSE(ExpectedRow(web, "http://127.0.0.2:8123/", ""));
}

}  // namespace
}  // namespace halvane::sim
