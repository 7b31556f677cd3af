#include "store/SqlRows.h"

#include "store/TStoreError.h"

namespace halvane::store {

namespace {

// A stored code within 0..last, else the store holds what this program did not write.
template <class TEnum>
std::optional<TEnum> CodeOf(const TSqlValue& value, TEnum last, const char* column, const std::string& location) {
  const auto code = SqlInt(value);
  if (!code) return std::nullopt;
  if (*code < 0 || *code > static_cast<std::int64_t>(last)) {
    throw TStoreError("store " + location + ": unknown value " + std::to_string(*code) + " in " + column +
                      " (was the store written by a newer Halvane?)");
  }
  return static_cast<TEnum>(*code);
}

std::optional<bool> BoolOf(const TSqlValue& value) {
  const auto number = SqlInt(value);
  if (!number) return std::nullopt;
  return *number != 0;
}

}  // namespace

const char* const kVerdictColumns =
    "p.address, p.final_address, p.host, v.run_id, v.judged_at, v.reason, v.comments_open, v.comment_links, "
    "v.has_your_link, v.your_link_rel, v.anchor, v.authority, v.traffic_rank";

std::optional<std::int64_t> SqlInt(const TSqlValue& value) {
  if (const auto* number = std::get_if<std::int64_t>(&value)) return *number;
  return std::nullopt;
}

std::optional<std::string> SqlText(const TSqlValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  return std::nullopt;
}

std::string SqlTextOr(const TSqlValue& value, std::string fallback) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  return fallback;
}

std::int64_t SqlIntOr(const TSqlValue& value, std::int64_t fallback) { return SqlInt(value).value_or(fallback); }

TVerdictRecord VerdictFromRow(const TSqlRow& row, std::size_t first, const std::string& location) {
  const auto at = [&](std::size_t i) -> const TSqlValue& { return row.at(first + i); };
  TVerdictRecord verdict;
  verdict.Address = SqlTextOr(at(0), "");
  verdict.FinalAddress = SqlTextOr(at(1), verdict.Address);
  verdict.Host = SqlTextOr(at(2), "");
  verdict.RunId = SqlIntOr(at(3), 0);
  verdict.JudgedAt = SqlIntOr(at(4), 0);
  verdict.Reason = SqlTextOr(at(5), "");
  verdict.CommentsOpen = BoolOf(at(6));
  verdict.CommentLinks = CodeOf(at(7), TCommentLinks::None, "comment_links", location);
  verdict.HasYourLink = BoolOf(at(8));
  verdict.YourLinkRel = SqlText(at(9));
  verdict.Anchor = SqlText(at(10));
  if (const auto authority = SqlInt(at(11))) verdict.Authority = static_cast<int>(*authority);
  verdict.TrafficRank = SqlInt(at(12));
  return verdict;
}

std::vector<TSqlValue> VerdictParams(const TVerdictRecord& verdict, std::int64_t pageId, TTime at) {
  return {pageId,
          verdict.RunId > 0 ? TSqlValue{verdict.RunId} : TSqlValue{},
          at,
          verdict.Reason.empty() ? TSqlValue{} : TSqlValue{verdict.Reason},
          SqlOf(verdict.CommentsOpen),
          SqlOf(verdict.CommentLinks),
          SqlOf(verdict.HasYourLink),
          SqlOf(verdict.YourLinkRel),
          SqlOf(verdict.Anchor),
          SqlOf(verdict.Authority),
          SqlOf(verdict.TrafficRank)};
}

std::optional<TLinkCheck> LinkCheckFromRow(const TSqlRow& row, std::size_t first, const std::string& location) {
  const auto state = CodeOf(row.at(first), TLinkState::Failed, "check_state", location);
  if (!state) return std::nullopt;
  TLinkCheck check;
  check.State = *state;
  check.CheckedAt = SqlIntOr(row.at(first + 1), 0);
  check.HttpStatus = static_cast<int>(SqlIntOr(row.at(first + 2), 0));
  check.Reason = SqlTextOr(row.at(first + 3), "");
  return check;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += '\n';
    text += lines[i];
  }
  return text;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  if (text.empty()) return lines;
  std::size_t start = 0;
  for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  lines.push_back(text.substr(start));
  return lines;
}

}  // namespace halvane::store
