#include "search/ItemAnalysis.h"

#include "base/MarkerScan.h"
#include "search/TForwardFinder.h"
#include "base/TextScan.h"

namespace halvane {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

constexpr std::string_view kLinkStart = "<a ";
constexpr std::string_view kSingleQuotedTarget = "href='";
constexpr std::string_view kDoubleQuotedTarget = "href=\"";
// <img src="/images/icons/globe-sm.jpg"
constexpr std::string_view kRankingTag = "<img src=\"/images/icons/globe-sm.jpg\"";

bool StartsWithDigit(std::string_view text) {
  return !text.empty() && text.front() >= '0' && text.front() <= '9';
}

}  // namespace

std::string TrimAndLowerPage(std::string_view pageText) {
  return AsciiLowerCase(TrimBlanks(pageText));
}

bool IsQualifyingPage(std::string_view preparedPage) {
  if (preparedPage.empty()) return false;
  if (FindNoCase(preparedPage, "wp-content") == kNone) return false;
  for (std::string_view marker : {"nofollow'>", "nofollow\">", "nofollow>"}) {
    if (FindNoCase(preparedPage, marker) != kNone) return false;
  }
  return true;
}

std::string HomePageAddress(std::string_view address) {
  std::string host = RemoveAll(address, "http://");
  const std::size_t slash = host.find('/');
  if (slash != std::string::npos) host.resize(slash);
  return "http://" + host;
}

std::string StripAddressPrefixes(std::string_view address) {
  return RemoveAll(RemoveAll(RemoveAll(address, "http://"), "https://"), "www.");
}

std::string StripHomeAddressPrefixes(std::string_view address) {
  if (!address.empty() && address.back() == '/') address.remove_suffix(1);
  return StripAddressPrefixes(address);
}

std::string PageRankPageName(std::string_view address) {
  return "www." + StripAddressPrefixes(address);
}

std::string HomePagePageRankName(std::string_view address) {
  return "www." + StripHomeAddressPrefixes(HomePageAddress(address));
}

std::string DomainFromEditText(std::string_view text) {
  return AsciiLowerCase(TrimBlanks(text));
}

TLinkScanResult ScanForUserLink(std::string_view page, std::string_view domain) {
  if (domain.empty()) return {};
  TForwardFinder linkStart(page, kLinkStart);
  TForwardFinder singleTarget(page, kSingleQuotedTarget);
  TForwardFinder doubleTarget(page, kDoubleQuotedTarget);
  TForwardFinder singleQuote(page, "'");
  TForwardFinder doubleQuote(page, "\"");

  std::size_t position = 0;  // start of the unread rest of the page
  while (true) {
    const std::size_t start = linkStart.NextFrom(position);
    if (start == kNone) break;
    const std::size_t single = singleTarget.NextFrom(position);
    const std::size_t dbl = doubleTarget.NextFrom(position);
    if (single == kNone && dbl == kNone) break;
    // The kind whose marker comes first, even when that one lies before the
    // link start: its search after the link start may then fail.
    const bool useSingle = dbl == kNone || (single != kNone && single < dbl);
    TForwardFinder& target = useSingle ? singleTarget : doubleTarget;
    TForwardFinder& quote = useSingle ? singleQuote : doubleQuote;

    position = start + kLinkStart.size();
    const std::size_t marker = target.NextFrom(position);
    if (marker == kNone) continue;
    position = marker + kSingleQuotedTarget.size();
    const std::size_t close = quote.NextFrom(position);
    if (close == kNone) continue;
    const std::string_view address = page.substr(position, close - position);
    position = close;
    if (address.find(domain) == kNone) continue;

    TLinkScanResult found;
    found.hasLink = true;
    // As ExtractBetween(">", "</a>") on the rest, searched forward only.
    const std::size_t tagEnd = page.find('>', position);
    if (tagEnd != kNone) {
      TForwardFinder linkEnd(page, "</a>");
      const std::size_t end = linkEnd.NextFrom(tagEnd + 1);
      if (end != kNone) found.anchor = page.substr(tagEnd + 1, end - tagEnd - 1);
    }
    return found;
  }
  return {};
}

std::string HasYourLinkCellText(const TLinkScanResult& scan) {
  return scan.hasLink ? "Yes" : "No";
}

std::string AnchorCellText(const TLinkScanResult& scan) {
  return scan.anchor.empty() ? std::string("-") : scan.anchor;
}

std::string RankAnswerFromReply(std::string_view replyText) {
  std::string_view work = replyText;
  ExtractBetween(work, "Rank_1:", ":");
  std::string rank = RemoveAll(TrimBlanks(work), ":");
  if (TrimBlanks(rank).empty()) return std::string(kNoRankData);
  return rank;
}

std::string RankCellFromAnswer(std::string_view rankText) {
  return StartsWithDigit(rankText) ? std::string(rankText) : std::string("0");
}

std::string RankingPageAddress(std::string_view rankingHost, std::string_view address) {
  std::string text = "http://";
  text += rankingHost;
  text += "/siteinfo/";
  text += address;
  return text;
}

std::string ExtractRankingValue(std::string_view pageText) {
  std::string_view work = pageText;
  ExtractBetween(work, kRankingTag, ">");
  const std::string value = ExtractBetween(work, ">", "</div>");
  const std::string_view trimmed = TrimBlanks(value);
  return StartsWithDigit(trimmed) ? std::string(trimmed) : std::string("-");
}

}  // namespace halvane
