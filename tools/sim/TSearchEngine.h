#pragma once
// The search engine of the simulated web: result pages for a keyword, built
// from the keyword alone, with the noise a real engine's pages carry.
#include <string>
#include <string_view>
#include <vector>

#include "TResultLink.h"
#include "TSimWeb.h"

namespace halvane::sim {

class TSearchEngine {
 public:
  static constexpr int kResultsPerPage = 100;
  static constexpr int kMaxPages = 10;

  explicit TSearchEngine(const TSimWeb& web) : web_(web) {}

  // The keyword of a decoded query of the program's form
  // "\"KW\" \"comment\" \"powered by wordpress\""; any other query is
  // taken whole.
  static std::string KeywordOfQuery(std::string_view query);

  // Full result pages the keyword yields, 0..10.
  int PageCount(std::string_view keyword) const;

  // The blog pages listed on result page pageIndex (empty past the last).
  std::vector<TBlogPage> Results(std::string_view keyword, int pageIndex) const;

  // Every link the page writes with the result-link marker, in page order.
  std::vector<TResultLink> MarkerLinks(std::string_view keyword, int pageIndex) const;

  std::string RenderResultPage(std::string_view keyword, int pageIndex) const;

  // The addresses the program's harvest collects for depth index d, in order.
  std::vector<std::string> ExpectedHarvest(std::string_view keyword, int depthIndex) const;

 private:
  // One piece of a result page: markup, and the marker link it carries.
  struct TPiece {
    std::string html;
    std::string link;  // empty: no marker link
  };
  std::vector<TPiece> Pieces(std::string_view keyword, int pageIndex, std::size_t* pagerAt) const;

  const TSimWeb& web_;
};

}  // namespace halvane::sim
