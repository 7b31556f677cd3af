#include "Harvest.h"

#include "MarkerScan.h"
#include "TForwardFinder.h"
#include "TextScan.h"

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
  // The working text is always a suffix of the page, so "it still contains
  // Next<" means "the last Next< of the page starts at or after it", and the
  // next exact link marker is searched only from the current position.
  const std::size_t lastNext = pageText.rfind(kNextPageMarker);
  std::string_view work = pageText;
  auto position = [&] { return pageText.size() - work.size(); };
  auto nextFollows = [&] { return lastNext != kNone && lastNext >= position(); };

  TForwardFinder resultLink(pageText, kResultLinkMarker, TForwardFinder::TMatch::Exact);
  while (true) {
    if (resultLink.NextFrom(position()) == kNone || Stopped(stopRequested)) break;
    const std::string link = ExtractBetween(work, kResultLinkMarker, "\"");
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
