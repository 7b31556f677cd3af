// The harvest walk and the link scan search forward only, for speed; these
// tests hold them to the plain loops written with ExtractBetween on pages
// made of random marker pieces, and run every page parser over them.
#include <gtest/gtest.h>

#include <random>

#include "search/Harvest.h"
#include "search/ItemAnalysis.h"
#include "base/MarkerScan.h"
#include "search/PageText.h"
#include "base/TextScan.h"

namespace halvane {
namespace {

std::vector<std::string> ReferenceHarvest(std::string_view page, std::string_view prefix,
                                          bool& goesOn) {
  THarvestedUrls urls;
  std::string_view w = page;
  auto contains = [&](std::string_view marker) { return w.find(marker) != std::string_view::npos; };
  while (contains(kResultLinkMarker)) {
    const std::string link = ExtractBetween(w, kResultLinkMarker, "\"");
    const std::string lower = AsciiLowerCase(link);
    if (!lower.starts_with("http://")) continue;
    if (lower.starts_with(prefix)) continue;
    urls.Add(link);
    if (!contains(kNextPageMarker)) break;
  }
  goesOn = contains(kNextPageMarker);
  return urls.Items();
}

TLinkScanResult ReferenceScan(std::string_view page, std::string_view domain) {
  if (domain.empty()) return {};
  std::string_view w = page;
  auto at = [&](std::string_view marker) { return FindNoCase(w, marker); };
  constexpr auto npos = std::string_view::npos;
  while (at("<a ") != npos && (at("href='") != npos || at("href=\"") != npos)) {
    const std::size_t s = at("href='");
    const std::size_t d = at("href=\"");
    const bool single = d == npos || (s != npos && s < d);
    const char* marker = single ? "href='" : "href=\"";
    ExtractBetween(w, "<a ", marker);
    const std::string target = ExtractBetween(w, marker, single ? "'" : "\"");
    if (target.find(domain) != npos) return {true, ExtractBetween(w, ">", "</a>")};
  }
  return {};
}

std::string MarkerSoup(std::mt19937& random, std::size_t pieces) {
  static const char* kPieces[] = {
      "<a ", "<A ", "href='", "href=\"", "HREF=\"", "'", "\"", ">", "</a>", "</A>",
      "href=\"/url?q=", "HREF=\"/URL?Q=", "http://", "HTTP://", "https://",
      "http://images.google", "mysite.test", "MySite.test", "Next<", "next<", "x", " ",
      "Rank_1:", ":", "7", "\r\n", "\r", "\n", nullptr /* a NUL byte */, "\xAF", "OK", "^",
      "$4", "$G", "<img src=\"/images/icons/globe-sm.jpg\"", "</div>", "wp-content",
      "nofollow>", "[APPLICATION]", "Version=", "="};
  std::uniform_int_distribution<std::size_t> pick(0, std::size(kPieces) - 1);
  std::string page;
  for (std::size_t i = 0; i < pieces; ++i) {
    const std::size_t k = pick(random);
    if (kPieces[k] == nullptr) {
      page += '\0';
    } else {
      page += kPieces[k];
    }
  }
  return page;
}

TEST(ScanEquivalence, HarvestWalkMatchesPlainLoop) {
  std::mt19937 random(20260101);
  for (int round = 0; round < 3000; ++round) {
    const std::string page = MarkerSoup(random, 1 + round % 60);
    bool expectedGoesOn = false;
    const auto expected = ReferenceHarvest(page, "http://images.google", expectedGoesOn);
    THarvestedUrls urls;
    const bool goesOn = HarvestResultPage(page, "http://images.google", urls);
    ASSERT_EQ(urls.Items(), expected) << page;
    ASSERT_EQ(goesOn, expectedGoesOn) << page;
  }
}

TEST(ScanEquivalence, LinkScanMatchesPlainLoop) {
  std::mt19937 random(7);
  for (int round = 0; round < 3000; ++round) {
    const std::string page = TrimAndLowerPage(MarkerSoup(random, 1 + round % 60));
    const TLinkScanResult expected = ReferenceScan(page, "mysite.test");
    const TLinkScanResult found = ScanForUserLink(page, "mysite.test");
    ASSERT_EQ(found.hasLink, expected.hasLink) << page;
    ASSERT_EQ(found.anchor, expected.anchor) << page;
  }
}

TEST(ScanEquivalence, MarkerCaseVariantIsCutWhereExtractBetweenCuts) {
  // The walk goes on while the exact marker follows, but, like
  // ExtractBetween, cuts at the first marker in any letter case.
  const std::string page =
      "HREF=\"/URL?Q=http://first.test/\" href=\"/url?q=http://second.test/\" Next<";
  THarvestedUrls urls;
  HarvestResultPage(page, "", urls);
  EXPECT_EQ(urls.Items(), (std::vector<std::string>{"http://first.test/", "http://second.test/"}));
}

TEST(ScanEquivalence, ParsersSurviveHostileBytes) {
  std::mt19937 random(99);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int round = 0; round < 500; ++round) {
    std::string page = MarkerSoup(random, 200);
    for (int k = 0; k < 50; ++k) page[random() % page.size()] = static_cast<char>(byte(random));
    const std::string text = PageTextFromBody(page);
    EXPECT_EQ(text.find('\0'), std::string::npos);
    RankCellFromAnswer(RankAnswerFromReply(text));
    ExtractRankingValue(text);
    IsQualifyingPage(TrimAndLowerPage(text));
  }
}

}  // namespace
}  // namespace halvane
