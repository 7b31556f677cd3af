#pragma once
// Record fields to statement parameters and back; every enumeration read
// from the store is checked, so a foreign value is an error, not UB.
#include <optional>
#include <string>
#include <vector>

#include "store/StoreRecords.h"
#include "store/TSqlDatabase.h"

namespace halvane::store {

std::optional<std::int64_t> SqlInt(const TSqlValue& value);
std::optional<std::string> SqlText(const TSqlValue& value);
std::string SqlTextOr(const TSqlValue& value, std::string fallback);
std::int64_t SqlIntOr(const TSqlValue& value, std::int64_t fallback);

template <class T>
TSqlValue SqlOf(const std::optional<T>& value) {
  if (!value) return {};
  if constexpr (std::is_same_v<T, std::string>) {
    return *value;
  } else {
    return static_cast<std::int64_t>(*value);
  }
}

// The columns a verdict is read from, in order, with pages as p and
// verdicts as v; VerdictFromRow reads them from row[first] on.
extern const char* const kVerdictColumns;
TVerdictRecord VerdictFromRow(const TSqlRow& row, std::size_t first, const std::string& location);
// page_id, run_id, judged_at, reason, then the figures, for the insert.
std::vector<TSqlValue> VerdictParams(const TVerdictRecord& verdict, std::int64_t pageId, TTime at);

// The last check kept for a link, from check_state, checked_at, check_status, check_reason at row[first].
std::optional<TLinkCheck> LinkCheckFromRow(const TSqlRow& row, std::size_t first, const std::string& location);

// Keywords and footprints are kept one a line.
std::string JoinLines(const std::vector<std::string>& lines);
std::vector<std::string> SplitLines(const std::string& text);

}  // namespace halvane::store
