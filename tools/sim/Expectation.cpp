#include "Expectation.h"

#include "SimText.h"
#include "TSearchEngine.h"

namespace halvane::sim {

std::optional<TExpectedRow> ExpectedRow(const TSimWeb& web, std::string_view address,
                                        std::string_view userDomain) {
  const std::optional<int> site = web.SiteOfAddress(address);
  if (!site) return std::nullopt;
  const std::string_view afterScheme = address.substr(7);
  const std::size_t slash = afterScheme.find('/');
  const std::optional<TBlogPage> page =
      slash == std::string_view::npos ? std::nullopt : web.FindPage(*site, afterScheme.substr(slash));
  if (!page || !page->Qualifies()) return std::nullopt;

  TExpectedRow row;
  row.url = std::string(address);
  // The rank service is asked for the names the program derives.
  row.pageRank = std::to_string(web.RankOf("www." + StripAddressPrefixes(address)));
  row.homePageRank =
      std::to_string(web.RankOf("www." + StripHomeAddressPrefixes(HomePageAddress(address))));
  const std::string domain = ToLowerAscii(TrimControl(userDomain));
  row.hasYourLink = "No";
  row.anchorName = "-";
  if (!domain.empty()) {
    for (const TPageLink& link : page->links) {
      if (ContainsText(ToLowerAscii(link.target), domain)) {
        row.hasYourLink = "Yes";
        if (!link.anchor.empty()) row.anchorName = ToLowerAscii(link.anchor);
        break;
      }
    }
  }
  row.alexaRanking = web.ShownRanking(*site);
  return row;
}

std::vector<TExpectedRow> ExpectedRows(const TSimWeb& web, std::string_view keyword, int depthIndex,
                                       std::string_view userDomain) {
  std::vector<TExpectedRow> rows;
  for (const std::string& address : TSearchEngine(web).ExpectedHarvest(keyword, depthIndex)) {
    if (auto row = ExpectedRow(web, address, userDomain)) rows.push_back(std::move(*row));
  }
  return rows;
}

}  // namespace halvane::sim
