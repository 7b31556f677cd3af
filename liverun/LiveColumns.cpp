#include "liverun/LiveColumns.h"

#include "tables/TableText.h"

namespace halvane::liverun {
namespace {

std::string AuthorityText(const TLiveResult& r) {
  if (r.AuthorityAwaited) return {};
  return r.Authority ? std::to_string(*r.Authority) : std::string(kNoFigure);
}
std::int64_t AuthorityNumber(const TLiveResult& r) { return r.AuthorityAwaited ? 0 : r.Authority.value_or(0); }
TJsonValue AuthorityJson(const TLiveResult& r) {
  if (r.AuthorityAwaited || !r.Authority) return nullptr;
  return std::int64_t{*r.Authority};
}

std::string UrlText(const TLiveResult& r) { return r.Url; }
TJsonValue UrlJson(const TLiveResult& r) { return r.Url; }

std::string CommentsText(const TLiveResult& r) { return r.CommentsOpen ? "Open" : "Closed"; }
TJsonValue CommentsJson(const TLiveResult& r) { return std::string(r.CommentsOpen ? "open" : "closed"); }

std::string CommentLinksText(const TLiveResult& r) {
  switch (r.CommentLinks) {
    case pagetest::TCommentLinks::Followed: return "Followed";
    case pagetest::TCommentLinks::Mixed: return "Mixed";
    default: return "None yet";
  }
}
TJsonValue CommentLinksJson(const TLiveResult& r) {
  switch (r.CommentLinks) {
    case pagetest::TCommentLinks::Followed: return std::string("followed");
    case pagetest::TCommentLinks::Mixed: return std::string("mixed");
    default: return std::string("none");
  }
}

std::string YourLinkText(const TLiveResult& r) { return r.HasYourLink ? "Yes" : "No"; }
TJsonValue YourLinkJson(const TLiveResult& r) { return r.HasYourLink; }

bool HasAnchor(const TLiveResult& r) { return r.HasYourLink && r.Anchor && !r.Anchor->empty(); }
std::string AnchorText(const TLiveResult& r) { return HasAnchor(r) ? *r.Anchor : std::string(kNoFigure); }
TJsonValue AnchorJson(const TLiveResult& r) {
  if (!HasAnchor(r)) return nullptr;
  return *r.Anchor;
}

std::string RankText(const TLiveResult& r) {
  return r.TrafficRank ? tables::GroupThousands(*r.TrafficRank) : std::string(kNoFigure);
}
std::int64_t RankNumber(const TLiveResult& r) { return r.TrafficRank.value_or(0); }
TJsonValue RankJson(const TLiveResult& r) {
  if (!r.TrafficRank) return nullptr;
  return std::int64_t{*r.TrafficRank};
}

}  // namespace

const std::vector<TLiveColumnDef>& LiveColumnTable() {
  static const std::vector<TLiveColumnDef> table = {
      {"Authority", "authority", true, AuthorityText, AuthorityNumber, AuthorityJson},
      {"URL", "url", false, UrlText, nullptr, UrlJson},
      {"Comments", "comments", false, CommentsText, nullptr, CommentsJson},
      {"Comment Links", "comment_links", false, CommentLinksText, nullptr, CommentLinksJson},
      {"Has Your Link", "has_your_link", false, YourLinkText, nullptr, YourLinkJson},
      {"Anchor Name", "anchor", false, AnchorText, nullptr, AnchorJson},
      {"Traffic Rank", "traffic_rank", true, RankText, RankNumber, RankJson},
  };
  return table;
}

const std::vector<std::string>& LiveColumnCaptions() {
  static const std::vector<std::string> captions = [] {
    std::vector<std::string> all;
    for (const TLiveColumnDef& column : LiveColumnTable()) all.emplace_back(column.Caption);
    return all;
  }();
  return captions;
}

std::string LiveCellText(const TLiveResult& result, int column) {
  const std::vector<TLiveColumnDef>& table = LiveColumnTable();
  if (column < 0 || static_cast<std::size_t>(column) >= table.size()) return {};
  return table[static_cast<std::size_t>(column)].Text(result);
}

int CompareLiveResults(const TLiveResult& a, const TLiveResult& b, int column,
                       int (*textCompare)(std::string_view, std::string_view)) {
  const std::vector<TLiveColumnDef>& table = LiveColumnTable();
  if (column < 0 || static_cast<std::size_t>(column) >= table.size()) return 0;
  const TLiveColumnDef& def = table[static_cast<std::size_t>(column)];
  if (def.Numeric) {
    const std::int64_t x = def.Number(a);
    const std::int64_t y = def.Number(b);
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  return textCompare(def.Text(a), def.Text(b));
}

}  // namespace halvane::liverun
