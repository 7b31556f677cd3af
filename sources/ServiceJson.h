#pragma once
// The JSON of a service's answer, parsed with nlohmann-json. Answers nested
// deeper than any service writes are refused before parsing, so a hostile
// body cannot make a tree of millions of levels. One bad value does not cost
// the whole answer: before parsing, bytes that are not UTF-8 and control
// bytes inside strings, lone UTF-16 surrogates and numbers past a double's
// range are mended in place (a blank, "\u0020", null), so that a title no one
// reads cannot throw away the addresses beside it. A mended address holds a
// blank, which no harvest keeps.
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace halvane::sources {

inline constexpr int kMaxJsonNesting = 64;

// The parsed value, or a discarded value (is_discarded()) for text that is
// not JSON or is nested deeper than kMaxJsonNesting; then why (when given)
// says so: "not valid JSON at byte 1234", "nested deeper than 64 levels".
nlohmann::json ParseServiceJson(std::string_view body, std::string* why = nullptr);

// body with the mending above; the same length, so byte positions hold.
std::string MendServiceJson(std::string_view body);

}  // namespace halvane::sources
