#include "search/Harvest.h"

#include "base/MarkerScan.h"
#include "search/TForwardFinder.h"
#include "base/TextScan.h"

namespace halvane {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

bool Stopped(const std::function<bool()>& stopRequested) {
  return stopRequested && stopRequested();
}

}  // namespace

std::string BuildQueryText(std::string_view keyword) {
  std::string query;
  query.reserve(keyword.size() + 40);
  query += '"';
  query += keyword;
  query += "\" \"comment\" \"powered by wordpress\"";
  return query;
}

std::string BuildResultPageAddress(std::string_view searchHost, std::string_view keyword,
                                   int pageNumber) {
  std::string address = "http://";
  address += searchHost;
  address += "/search?num=100&hl=en&q=";
  address += EncodeForUrl(BuildQueryText(keyword));
  address += "&btnG=Search&start=";
  address += std::to_string(static_cast<long long>(pageNumber) * 100);
  return address;
}

bool HarvestResultPage(std::string_view pageText, std::string_view imageSearchPrefix,
                       THarvestedUrls& urls, const std::function<bool()>& stopRequested) {
  // Each "still contains" test and each marker search looks only forward
  // from the current position, so a page costs time linear in its size:
  // "Next<" follows when the page's last one starts at or after the
  // position, and the link markers are found by forward-only finders.
  const std::size_t lastNext = pageText.rfind(kNextPageMarker);
  std::size_t position = 0;
  auto nextFollows = [&] { return lastNext != kNone && lastNext >= position; };

  TForwardFinder exactLink(pageText, kResultLinkMarker, TForwardFinder::TMatch::Exact);
  // The link itself is cut out as ExtractBetween would: the marker in any
  // letter case, up to the next double quote.
  TForwardFinder anyCaseLink(pageText, kResultLinkMarker);
  TForwardFinder quote(pageText, "\"");
  while (true) {
    if (exactLink.NextFrom(position) == kNone || Stopped(stopRequested)) break;
    position = anyCaseLink.NextFrom(position) + kResultLinkMarker.size();
    const std::size_t close = quote.NextFrom(position);
    if (close == kNone) continue;  // empty link; the rest starts after the marker
    const std::string_view link = pageText.substr(position, close - position);
    position = close;
    if (!StartsWithNoCase(link, "http://")) continue;
    if (!imageSearchPrefix.empty() && StartsWithNoCase(link, imageSearchPrefix)) continue;
    urls.Add(link);
    if (!nextFollows() || Stopped(stopRequested)) break;
  }
  return nextFollows() && !Stopped(stopRequested);
}

void HarvestResults(std::string_view searchHost, std::string_view imageSearchPrefix,
                    std::string_view keyword, int depthIndex,
                    const std::function<std::optional<std::string>(const std::string&)>& fetchPage,
                    const std::function<bool()>& stopRequested,
                    const std::function<void()>& processEvents, THarvestedUrls& urls) {
  urls.Clear();
  for (int page = 0; page <= depthIndex; ++page) {
    const std::optional<std::string> text =
        fetchPage(BuildResultPageAddress(searchHost, keyword, page));
    if (!text) continue;
    if (Stopped(stopRequested)) return;
    if (!HarvestResultPage(*text, imageSearchPrefix, urls, stopRequested)) return;
    if (processEvents) processEvents();
  }
}

}  // namespace halvane
