#pragma once
// Harvest of result addresses from the web search: the query address of
// each result page and the walk over the result links of one page.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "search/THarvestedUrls.h"

namespace halvane {

inline constexpr std::string_view kSearchCaption = "Search";
inline constexpr std::string_view kStopCaption = "Stop";
inline constexpr std::string_view kKeywordMissingNotice =
    "You need enter a keyword to make a search.";

// href="/url?q= : where a result link starts (compared exactly).
inline constexpr std::string_view kResultLinkMarker = "href=\"/url?q=";
// The pager's "Next" link text; a page without it is the last one.
inline constexpr std::string_view kNextPageMarker = "Next<";

// "keyword" "comment" "powered by wordpress", keyword unchanged.
std::string BuildQueryText(std::string_view keyword);

// http://<searchHost>/search?num=100&hl=en&q=<encoded query>&btnG=Search&start=<100 p>
std::string BuildResultPageAddress(std::string_view searchHost, std::string_view keyword,
                                   int pageNumber);

// Walks the result links of one fetched result page into urls: plain http
// links only, links starting with imageSearchPrefix (e.g.
// "http://images.google"; empty skips nothing) left out. After each taken
// link the walk ends unless "Next<" still follows. Returns whether the
// harvest goes on with the next page: "Next<" follows the last link looked
// at and no stop was requested. Time linear in the page.
bool HarvestResultPage(std::string_view pageText, std::string_view imageSearchPrefix,
                       THarvestedUrls& urls, const std::function<bool()>& stopRequested = {});

// The whole harvest for depth index depthIndex (0 for "100 items" ... 9 for
// "1000 items", negative harvests nothing): empties urls, then fetches result
// pages 0..depthIndex and walks them. fetchPage returns the page text or
// nothing when it was not fetched (the harvest then goes on with the next
// page); processEvents runs after every page that was walked.
void HarvestResults(std::string_view searchHost, std::string_view imageSearchPrefix,
                    std::string_view keyword, int depthIndex,
                    const std::function<std::optional<std::string>(const std::string&)>& fetchPage,
                    const std::function<bool()>& stopRequested,
                    const std::function<void()>& processEvents, THarvestedUrls& urls);

}  // namespace halvane
