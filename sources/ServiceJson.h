#pragma once
// The JSON of a service's answer, parsed with nlohmann-json. Answers nested
// deeper than any service writes are refused before parsing, so a hostile
// body cannot make a tree of millions of levels.
#include <string_view>

#include <nlohmann/json.hpp>

namespace halvane::sources {

inline constexpr int kMaxJsonNesting = 64;

// The parsed value, or a discarded value (is_discarded()) for text that is
// not JSON or is nested deeper than kMaxJsonNesting.
nlohmann::json ParseServiceJson(std::string_view body);

}  // namespace halvane::sources
