#pragma once
// The tests and text cuts of the analysis of one harvested address: which
// pages qualify, the PageRank page names, the scan for the user's link, and
// the rank and ranking values read from the services' replies.
#include <string>
#include <string_view>

#include "search/TLinkScanResult.h"

namespace halvane {

inline constexpr std::string_view kAnalysisStartText = "Starting item analisys...";
inline constexpr std::string_view kRankStatusText = "Getting Google Page Rank... ";
inline constexpr std::string_view kNoRankData = "No Data";

// The page text prepared for the page tests and the link scan: blanks and
// control characters trimmed at both ends, A-Z turned to a-z.
std::string TrimAndLowerPage(std::string_view pageText);

// A prepared page qualifies when it is not empty, holds "wp-content" and
// none of the nofollow markers (nofollow'> nofollow"> nofollow>).
bool IsQualifyingPage(std::string_view preparedPage);

// "http://" + the host part of address (every "http://" removed, cut before
// the first "/").
std::string HomePageAddress(std::string_view address);

// Every "http://", then every "https://", then every "www." removed.
std::string StripAddressPrefixes(std::string_view address);
// As StripAddressPrefixes after dropping one trailing "/".
std::string StripHomeAddressPrefixes(std::string_view address);

// The page names asked of the PageRank service for an item's address:
// "www." + StripAddressPrefixes(address), and the same for its home page.
std::string PageRankPageName(std::string_view address);
std::string HomePagePageRankName(std::string_view address);

// The user's domain as typed: trimmed, A-Z turned to a-z.
std::string DomainFromEditText(std::string_view text);

// Looks in the prepared page for the first link whose target contains
// domain. An empty domain finds nothing. Time linear in the page.
TLinkScanResult ScanForUserLink(std::string_view preparedPage, std::string_view domain);

// "Yes" / "No", and the anchor or "-" when it is empty.
std::string HasYourLinkCellText(const TLinkScanResult& scan);
std::string AnchorCellText(const TLinkScanResult& scan);

// The answer handed back by the rank handler for a fetched reply: the text
// after "Rank_1:" and the next ":", trimmed, colons removed; "No Data" when
// that is empty.
std::string RankAnswerFromReply(std::string_view replyText);

// The rank cell for an answer: "0" unless the answer begins with a digit.
std::string RankCellFromAnswer(std::string_view rankText);

// http://<rankingHost>/siteinfo/<address as harvested>
std::string RankingPageAddress(std::string_view rankingHost, std::string_view address);

// The ranking value of a fetched ranking page: after the globe icon's tag,
// between ">" and "</div>", trimmed; "-" when empty or not starting with a
// digit.
std::string ExtractRankingValue(std::string_view pageText);

}  // namespace halvane
