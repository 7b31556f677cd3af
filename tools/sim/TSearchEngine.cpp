#include "TSearchEngine.h"

#include <unordered_set>

#include "SimText.h"

namespace halvane::sim {
namespace {

constexpr std::size_t kNoPager = static_cast<std::size_t>(-1);
constexpr std::string_view kQueryTail = "\" \"comment\" \"powered by wordpress\"";

std::string MarkerAnchor(const std::string& link, const std::string& text) {
  return "<a href=\"/url?q=" + link + "\">" + text + "</a>";
}

}  // namespace

std::string TSearchEngine::KeywordOfQuery(std::string_view query) {
  if (query.size() >= 1 + kQueryTail.size() && query.front() == '"' &&
      query.substr(query.size() - kQueryTail.size()) == kQueryTail) {
    return std::string(query.substr(1, query.size() - 1 - kQueryTail.size()));
  }
  return std::string(query);
}

int TSearchEngine::PageCount(std::string_view keyword) const {
  const auto& overrides = web_.Config().keywordPages;
  if (const auto it = overrides.find(std::string(keyword)); it != overrides.end()) return it->second;
  return 1 + static_cast<int>(HashText(keyword, web_.Config().seed) % kMaxPages);
}

std::vector<TBlogPage> TSearchEngine::Results(std::string_view keyword, int pageIndex) const {
  std::vector<TBlogPage> out;
  if (pageIndex < 0 || pageIndex >= PageCount(keyword)) return out;
  const TSimConfig& c = web_.Config();
  const std::uint64_t k = HashText(keyword, c.seed);
  out.reserve(kResultsPerPage);
  for (int i = 0; i < kResultsPerPage; ++i) {
    const std::uint64_t h = MixNumbers({c.seed, k, static_cast<std::uint64_t>(pageIndex),
                                        static_cast<std::uint64_t>(i)});
    out.push_back(web_.Page(static_cast<int>(h % static_cast<std::uint64_t>(c.sites)),
                            static_cast<int>((h >> 20) % static_cast<std::uint64_t>(c.pagesPerSite))));
  }
  return out;
}

std::vector<TSearchEngine::TPiece> TSearchEngine::Pieces(std::string_view keyword, int pageIndex,
                                                         std::size_t* pagerAt) const {
  const std::string enc = EncodePercent("\"" + std::string(keyword) + std::string(kQueryTail));
  const std::string kw = EscapeHtml(keyword);
  const std::string images = "http://" + web_.Config().imageSearchHost + "/images?q=" + enc;
  const int pages = PageCount(keyword);
  const std::string selfBase = "/search?num=100&amp;hl=en&amp;q=" + enc + "&amp;btnG=Search&amp;start=";
  std::vector<TPiece> p;

  p.push_back({"<html>\n<head>\n<title>" + kw + " - Sim Search</title>\n</head>\n<body>\n"
               "<div id=\"gbar\"><a href=\"" + images + "&amp;hl=en\">Images</a> "
               "<a href=\"http://" + web_.ServiceHost() + "/news\">News</a></div>\n", {}});
  if (pageIndex >= pages) {
    p.push_back({"<p>Your search - <b>" + kw + "</b> - did not match any documents.</p>\n"
                 "<div id=\"ads\">", {}});
    const std::string ad = "https://ads.sim.test/offer?q=" + enc;
    p.push_back({MarkerAnchor(ad, "Sponsored"), ad});
    p.push_back({"</div>\n</body>\n</html>\n", {}});
    *pagerAt = kNoPager;
    return p;
  }

  p.push_back({"<div id=\"res\">\n<div class=\"images\">Images for <b>" + kw + "</b> ", {}});
  for (int i = 0; i < 2; ++i) {
    const std::string img = images + "&amp;start=" + std::to_string(i) + "&amp;sa=X";
    p.push_back({MarkerAnchor(img, "<img src=\"/thumb" + std::to_string(i) + ".jpg\">"), img});
  }
  const std::string related = "/search?q=related:" + enc;
  p.push_back({"</div>\n<p>See also " + MarkerAnchor(related, "related searches") + "</p>\n<ol>\n", related});

  const std::vector<TBlogPage> results = Results(keyword, pageIndex);
  for (int i = 0; i < static_cast<int>(results.size()); ++i) {
    const TBlogPage& r = results[static_cast<std::size_t>(i)];
    const std::string address = web_.PageAddress(r);
    const std::string link = address + web_.TrackingTail(r);
    std::string html = "<li class=\"g\"><h3 class=\"r\">" + MarkerAnchor(link, EscapeHtml(r.title)) +
                       "</h3><div class=\"s\">About " + kw + " and more. <cite>" + address + "</cite>";
    if (i % 5 == 0) {
      html += " <a href=\"http://" + web_.ServiceHost() + "/search?q=cache:" + EncodePercent(address) +
              "\">Cached</a>";
    }
    p.push_back({html + "</div></li>\n", link});
    if (i % 13 == 7) {
      const std::string shout = ToUpperAscii(link);
      p.push_back({"<li class=\"g\">" + MarkerAnchor(shout, "Same page") + "</li>\n", shout});
    }
    if (i % 17 == 3) {
      const std::string secure = "https://secure.sim.test/" + std::to_string(pageIndex * 100 + i) + "/";
      p.push_back({"<li class=\"g\">" + MarkerAnchor(secure, "Secure result") + "</li>\n", secure});
    }
    if (i % 31 == 20) {
      const std::string img = images + "&amp;start=" + std::to_string(i);
      p.push_back({"<li class=\"g\">" + MarkerAnchor(img, "Images") + "</li>\n", img});
    }
    if (i % 37 == 30) {
      const std::string rel = "/search?q=similar:" + std::to_string(i);
      p.push_back({"<li class=\"g\">" + MarkerAnchor(rel, "Similar") + "</li>\n", rel});
    }
  }
  p.push_back({"</ol>\n</div>\n", {}});

  std::string pager = "<table id=\"nav\"><tr>";
  if (pageIndex > 0) {
    pager += "<td><a href=\"" + selfBase + std::to_string((pageIndex - 1) * 100) +
             "\"><span>Previous</span></a></td>";
  }
  if (pageIndex + 1 < pages) {
    pager += "<td><a href=\"" + selfBase + std::to_string((pageIndex + 1) * 100) +
             "\"><span>Next</span></a></td>";
  }
  pager += "</tr></table>\n";
  *pagerAt = pageIndex + 1 < pages ? p.size() : kNoPager;
  p.push_back({pager, {}});

  // Links after the pager carry no result-link marker: a marker link there
  // would make the harvest read past the pager and end.
  p.push_back({"<div id=\"brs\">Searches related to <b>" + kw + "</b>: ", {}});
  for (int i = 0; i < 3; ++i) {
    const std::uint64_t h = MixNumbers({web_.Config().seed, HashText(keyword), 77,
                                        static_cast<std::uint64_t>(i)});
    const TBlogPage b = web_.Page(static_cast<int>(h % static_cast<std::uint64_t>(web_.SiteCount())),
                                  static_cast<int>((h >> 20) % static_cast<std::uint64_t>(web_.Config().pagesPerSite)));
    p.push_back({"<a href=\"" + web_.PageAddress(b) + "\">" + EscapeHtml(b.title) + "</a> "
                 "<a href=\"/search?q=" + EncodePercent(b.title) + "\">more</a> ", {}});
  }
  p.push_back({"</div>\n</body>\n</html>\n", {}});
  return p;
}

std::vector<TResultLink> TSearchEngine::MarkerLinks(std::string_view keyword, int pageIndex) const {
  std::size_t pagerAt = 0;
  const std::vector<TPiece> pieces = Pieces(keyword, pageIndex, &pagerAt);
  std::vector<TResultLink> out;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (!pieces[i].link.empty()) out.push_back({pieces[i].link, pagerAt != kNoPager && i < pagerAt});
  }
  return out;
}

std::string TSearchEngine::RenderResultPage(std::string_view keyword, int pageIndex) const {
  std::size_t pagerAt = 0;
  std::string out;
  for (const TPiece& piece : Pieces(keyword, pageIndex, &pagerAt)) out += piece.html;
  return out;
}

std::vector<std::string> TSearchEngine::ExpectedHarvest(std::string_view keyword, int depthIndex) const {
  std::vector<std::string> urls;
  std::unordered_set<std::string> seen;
  const std::string imagePrefix = ToLowerAscii(web_.ImageSearchPrefix());
  for (int page = 0; page <= depthIndex; ++page) {
    // Whether the unread rest of the page still holds the pager.
    bool pagerAhead = page + 1 < PageCount(keyword);
    for (const TResultLink& link : MarkerLinks(keyword, page)) {
      pagerAhead = link.beforePager;
      const std::string lower = ToLowerAscii(link.text);
      if (lower.rfind("http://", 0) != 0 || lower.rfind(imagePrefix, 0) == 0) continue;
      if (seen.insert(lower).second) urls.push_back(link.text);
      if (!pagerAhead) break;
    }
    if (!pagerAhead) break;
  }
  return urls;
}

}  // namespace halvane::sim
