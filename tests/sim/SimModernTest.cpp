// The blogs in modern markup and the model of a live run: the model's rows
// against the program's page test on every rendered post, and the classic
// pages pinned byte for byte.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>

#include "tools/sim/LiveExpectation.h"
#include "tools/sim/LiveSearch.h"
#include "tools/sim/TOpenPageRankService.h"
#include "tools/sim/TTrancoDownload.h"
#include "tools/sim/SimText.h"
#include "tests/sim/SimWalk.h"
#include "tools/sim/TModernBlog.h"
#include "tools/sim/TSimConfig.h"
#include "tests/support/TSimProcess.h"
#include "tools/sim/TSimWeb.h"
#include "pagetest/PageTest.h"

namespace halvane::sim {
namespace {

constexpr int kPort = 8123;
const std::string kSmall = std::string(HALVANE_TEST_DATA) + "/sim/small.conf";

std::uint64_t ClassicHash(const TSimWeb& web) {
  std::uint64_t h = 0;
  for (int s = 0; s < web.SiteCount(); ++s) {
    h = HashText(web.RenderHomePage(s), h);
    for (int i = 0; i < web.Config().pagesPerSite; ++i) h = HashText(web.RenderPage(web.Page(s, i)), h);
  }
  return h;
}

TEST(SimModern, ClassicPagesStayByteForByte) {
  // Taken before the modern pages came: any change to a classic page or to
  // the draws behind it shows here.
  EXPECT_EQ(ClassicHash(TSimWeb(DefaultSimConfig(), kPort)), 10490215365919645381u);
  EXPECT_EQ(ClassicHash(TSimWeb(LoadSimConfig(kSmall), kPort)), 13827720458553232143u);
}

TEST(SimModern, PostsLiveBesideTheClassicOnes) {
  const TSimWeb web(DefaultSimConfig(), kPort);
  const TModernBlog modern(web);
  const TBlogPage page = web.Page(1, 17);
  EXPECT_EQ(page.path.substr(0, 6), "/blog/");
  EXPECT_EQ(TModernBlog::PathOf(page), page.path.substr(5));
  EXPECT_EQ(modern.PageAddress(page), "http://127.0.0.3:8123" + page.path.substr(5));
  EXPECT_EQ(modern.PageAddress(page, "https", 9443), "https://127.0.0.3:9443" + page.path.substr(5));
  const auto found = modern.FindPage(1, TModernBlog::PathOf(page) + "?replytocom=18#respond");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->index, 17);
  EXPECT_FALSE(modern.FindPage(1, page.path));  // the classic path is the classic page's
  EXPECT_FALSE(modern.FindPage(1, "/2005/01/garden-9999/"));
  EXPECT_FALSE(modern.FindPage(1, "/"));
}

TEST(SimModern, PostsCoverEveryFormThePageTestMeets) {
  const TSimWeb web(DefaultSimConfig(), kPort);
  const TModernBlog modern(web);
  std::set<TWordPressSign> signs;
  std::set<TCommentFollow> follows;
  std::set<bool> open, threaded;
  std::set<int> comments;
  std::set<std::string> verdicts;
  int others = 0, wordPress = 0, kept = 0;
  for (int s = 0; s < web.SiteCount(); ++s) {
    for (int i = 0; i < web.Config().pagesPerSite; ++i) {
      const TBlogPage p = web.Page(s, i);
      // The model's list of links is every link of the page.
      const std::string html = modern.Render(p);
      std::size_t anchors = 0;
      for (std::size_t at = html.find("<a "); at != std::string::npos; at = html.find("<a ", at + 1)) ++anchors;
      ASSERT_EQ(anchors, modern.Links(p).size()) << modern.PageAddress(p);
      const auto row = ExpectedLiveRow(web, modern.PageAddress(p), "myshop.example", {});
      if (!p.wordPress) {
        ++others;
        EXPECT_FALSE(row);
        EXPECT_NE(html.find("/wp-content/uploads/"), std::string::npos);  // hot-linked
        continue;
      }
      ++wordPress;
      signs.insert(p.sign);
      follows.insert(p.commentFollow);
      open.insert(p.commentsOpen);
      threaded.insert(p.threaded);
      comments.insert(p.comments);
      verdicts.insert(row ? row->commentLinks : "no row");
      if (row) ++kept;
    }
  }
  EXPECT_EQ(signs.size(), 3u);
  EXPECT_EQ(follows.size(), 3u);
  EXPECT_EQ(open.size(), 2u);
  EXPECT_EQ(threaded.size(), 2u);
  EXPECT_EQ(comments, (std::set<int>{0, 1, 2}));
  EXPECT_EQ(verdicts, (std::set<std::string>{"Followed", "Mixed", "None yet", "no row"}));
  EXPECT_GT(others, 0);
  EXPECT_GT(kept, wordPress / 4);
  EXPECT_LT(kept, wordPress * 7 / 8);
}

// The program's page test on each rendered post must find what the model
// says; the model itself never reads the markup.
void ExpectModelMatchesPageTest(const TSimWeb& web, const std::string& domain, bool modernMarkup) {
  const TModernBlog modern(web);
  std::map<std::string, int> anchors;
  for (int s = 0; s < web.SiteCount(); ++s) {
    for (int i = 0; i < web.Config().pagesPerSite; ++i) {
      const TBlogPage p = web.Page(s, i);
      const std::string address = modernMarkup ? modern.PageAddress(p) : web.PageAddress(p);
      const std::string html = modernMarkup ? modern.Render(p) : web.RenderPage(p);
      SCOPED_TRACE(address);
      const pagetest::TPageVerdict verdict = pagetest::TestModernPage(html, domain);
      const auto row = ExpectedLiveRow(web, address, domain, {});
      ASSERT_EQ(row.has_value(), verdict.Qualifies) << verdict.Reason;
      if (!row) continue;
      EXPECT_EQ(row->url, address);
      EXPECT_EQ(row->comments, pagetest::CommentsCell(verdict));
      EXPECT_EQ(row->commentLinks, pagetest::CommentLinksCell(verdict));
      EXPECT_EQ(row->hasYourLink, pagetest::YourLinkCell(verdict));
      EXPECT_EQ(row->anchorName, verdict.Anchor);
      ++anchors[row->anchorName];
    }
  }
  if (domain == "myshop.example" && modernMarkup) {
    // Anchors with markup inside, plain ones, empty ones, and none; the
    // look-alike host and the widget's link never count.
    EXPECT_GT(anchors["My Shop"], 0);
    EXPECT_GT(anchors["MyShop Deals"], 0);
    EXPECT_EQ(anchors["Not My Shop"], 0);
    EXPECT_EQ(anchors["Shop Fan"], 0);
    EXPECT_GT(anchors["-"], 0);
  }
}

TEST(SimModern, ModelAgreesWithThePageTestOnModernPosts) {
  for (const char* domain : {"myshop.example", " MyShop.EXAMPLE ", "", "127.0.0.4", "partner.sim.test"}) {
    SCOPED_TRACE(domain);
    ExpectModelMatchesPageTest(TSimWeb(DefaultSimConfig(), kPort), domain, true);
    ExpectModelMatchesPageTest(TSimWeb(LoadSimConfig(kSmall), kPort), domain, true);
  }
}

TEST(SimModern, ModelAgreesWithThePageTestOnClassicPosts) {
  // Classic search with the modern page test: the classic markup judged by
  // today's rules (no comment elements, no post text: WordPress is kept).
  ExpectModelMatchesPageTest(TSimWeb(DefaultSimConfig(), kPort), "myshop.example", false);
}

TEST(SimModern, LiveRowsCarryTheSourcesFigures) {
  const TSimWeb web(LoadSimConfig(kSmall), kPort);
  const TModernBlog modern(web);
  std::vector<std::string> harvest{"http://127.0.0.1:8123/search", "https://other.example/2005/01/x-1/",
                                   "http://127.0.0.2:9999" + TModernBlog::PathOf(web.Page(0, 0))};
  for (int s = 0; s < web.SiteCount(); ++s) {
    for (int i = 0; i < 5; ++i) {
      harvest.push_back(modern.PageAddress(web.Page(s, i), "https", 9443));
    }
  }
  TLiveFigures figures;
  figures.authority = [](int site) { return site == 2 ? "-" : std::to_string(site + 3); };
  figures.trafficRank = [](int site) { return GroupThousands(static_cast<std::uint64_t>(site) * 1000 + 7); };
  const auto rows = ExpectedLiveRows(web, harvest, "myshop.example", figures);
  ASSERT_FALSE(rows.empty());
  for (const TExpectedLiveRow& row : rows) {
    SCOPED_TRACE(row.url);
    const int site = row.url[std::string("https://127.0.0.").size()] - '2';
    EXPECT_EQ(row.url.substr(0, 8), "https://");  // the foreign and wrong-port ones are gone
    EXPECT_EQ(row.authority, site == 2 ? "-" : std::to_string(site + 3));
    EXPECT_EQ(row.trafficRank, GroupThousands(static_cast<std::uint64_t>(site) * 1000 + 7));
  }
  const auto plain = ExpectedLiveRows(web, harvest, "myshop.example", {});
  ASSERT_EQ(plain.size(), rows.size());
  EXPECT_EQ(plain.front().authority, "-");
  EXPECT_EQ(plain.front().trafficRank, "-");
}

const std::string kLiveModern = std::string(HALVANE_TEST_DATA) + "/sim/live-modern.conf";

TEST(SimModern, LiveEnginesListClassicAddressesUnlessToldOtherwise) {
  EXPECT_FALSE(DefaultSimConfig().liveModernPages);
  EXPECT_TRUE(LoadSimConfig(kLiveModern).liveModernPages);
  EXPECT_FALSE(ParseSimConfig("live.pages = classic").liveModernPages);
  try {
    ParseSimConfig("sites = 3\nlive.pages = new\n");
    ADD_FAILURE() << "accepted";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("line 2"), std::string::npos) << e.what();
  }
  const TSimWeb web(LoadSimConfig(kSmall), kPort);
  for (const std::string& address : LiveResultAddresses(web, "blue widgets")) {
    EXPECT_NE(address.find("/blog/"), std::string::npos) << address;
  }
}

TEST(SimModern, LiveEnginesListModernPostsAndTheModelFillsTheirRows) {
  const TSimWeb web(LoadSimConfig(kLiveModern), kPort);
  const TModernBlog modern(web);
  const auto harvest = ExpectedLiveHarvest(web, TLiveEngine::Searxng, "blue widgets", 300);
  ASSERT_GT(harvest.size(), 20u);
  for (const std::string& address : harvest) {
    const std::size_t slash = address.find('/', 7);
    EXPECT_TRUE(modern.FindPage(*web.SiteOfAddress(address), address.substr(slash))) << address;
  }
  const auto rows = ExpectedLiveRows(web, harvest, "myshop.example", SimulatedFigures(web));
  ASSERT_FALSE(rows.empty());
  std::set<std::string> authorities, ranks;
  for (const TExpectedLiveRow& row : rows) {
    const int site = *web.SiteOfAddress(row.url);
    const auto shown = TOpenPageRankService(web).ShownAuthority(TSimWeb::SiteIp(site));
    EXPECT_EQ(row.authority, shown ? std::to_string(*shown) : "-");
    EXPECT_EQ(row.trafficRank, TTrancoDownload(web).ShownSiteRank(site));
    authorities.insert(row.authority);
    ranks.insert(row.trafficRank);
  }
  // Sites the services leave out show "-" beside those they know.
  EXPECT_GT(authorities.size(), 1u);
  EXPECT_GT(ranks.size(), 1u);
}

TEST(SimModern, AnchorTextReadsMarkupAsThePageTestDoes) {
  EXPECT_EQ(AnchorText("My <b>Shop</b>"), "My Shop");
  EXPECT_EQ(AnchorText("  our partner&#8217;s\n shop "), "our partner\xE2\x80\x99s shop");
  EXPECT_EQ(AnchorText("<img src='x'>"), "-");
  EXPECT_EQ(AnchorText(""), "-");
  EXPECT_EQ(AnchorText("a &amp; b &lt;c&gt;"), "a & b <c>");
}

TEST(SimModern, ServedSearchResultsAndPagesGiveTheModelsRows) {
  // End to end over the server: the SearXNG-style list, each page fetched
  // and judged by the program's page test, against the model's rows.
  test::TSimProcess sim(kLiveModern);
  const TSimWeb web(LoadSimConfig(kLiveModern), sim.Port());
  const std::string query = EncodePercent("\"blue widgets\" \"comment\" \"powered by wordpress\"");
  const auto answer = simtest::FetchAddress(sim.ServiceUrl() + "/search?q=" + query + "&format=json&pageno=1");
  ASSERT_EQ(answer.status, 200);
  std::vector<std::string> harvest;
  const nlohmann::json results = nlohmann::json::parse(answer.body)["results"];
  for (const auto& result : results) {
    const std::string url = result.value("url", "");
    if (web.SiteOfAddress(url) && std::find(harvest.begin(), harvest.end(), url) == harvest.end()) {
      harvest.push_back(url);
    }
  }
  ASSERT_GT(harvest.size(), 10u);
  std::vector<TExpectedLiveRow> judged;
  for (const std::string& address : harvest) {
    const auto page = simtest::FetchAddress(address);
    ASSERT_EQ(page.status, 200) << address;
    const pagetest::TPageVerdict verdict = pagetest::TestModernPage(page.body, "myshop.example");
    if (!verdict.Qualifies) continue;
    judged.push_back({"-", address, std::string(pagetest::CommentsCell(verdict)),
                      std::string(pagetest::CommentLinksCell(verdict)), std::string(pagetest::YourLinkCell(verdict)),
                      verdict.Anchor, "-"});
  }
  const auto expected = ExpectedLiveRows(web, harvest, "myshop.example", {});
  EXPECT_FALSE(expected.empty());
  EXPECT_EQ(judged, expected);
}

TEST(SimModern, ServerServesModernPostsBesideClassicOnes) {
  test::TSimProcess sim(kSmall);
  const TSimWeb web(LoadSimConfig(kSmall), sim.Port());
  const TModernBlog modern(web);
  for (const auto& [site, index] : {std::pair{0, 0}, std::pair{1, 7}, std::pair{3, 29}}) {
    const TBlogPage p = web.Page(site, index);
    const auto modernReply = simtest::FetchAddress(modern.PageAddress(p));
    EXPECT_EQ(modernReply.status, 200);
    EXPECT_EQ(modernReply.body, modern.Render(p));
    const auto classicReply = simtest::FetchAddress(web.PageAddress(p));
    EXPECT_EQ(classicReply.body, web.RenderPage(p));
  }
  EXPECT_EQ(simtest::FetchAddress("http://" + web.SiteHost(0) + "/2005/01/nothing-1/").status, 404);
  // The short address of post 8 (index 7) leads to its permalink.
  const std::string shortLink = simtest::Exchange(TSimWeb::SiteIp(1), sim.Port(), "GET /?p=8 HTTP/1.1\r\nHost: " +
                                                  web.SiteHost(1) + "\r\nConnection: close\r\n\r\n");
  EXPECT_EQ(shortLink.rfind("HTTP/1.1 301", 0), 0u) << shortLink;
  EXPECT_NE(shortLink.find("Location: " + TModernBlog::PathOf(web.Page(1, 7)) + "\r\n"), std::string::npos) << shortLink;
  EXPECT_EQ(simtest::FetchAddress("http://" + web.SiteHost(1) + "/?p=9999").status, 200);  // the home page
  EXPECT_EQ(simtest::FetchAddress("http://" + web.SiteHost(1) + "/").body, web.RenderHomePage(1));
}

}  // namespace
}  // namespace halvane::sim
