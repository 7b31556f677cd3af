#include "sources/ServiceJson.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace halvane::sources {
namespace {

// Brackets outside strings, counted in one pass.
bool NestingWithin(std::string_view body, int limit) {
  int depth = 0;
  bool inString = false;
  for (std::size_t i = 0; i < body.size(); ++i) {
    const char c = body[i];
    if (inString) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > limit) return false;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return true;
}

// The length of the UTF-8 sequence at text[i] (RFC 3629: no overlongs, no
// surrogates, nothing past U+10FFFF), 0 when it is none.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
  const auto at = [&](std::size_t k) { return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0; };
  const unsigned char b = at(0);
  const auto tail = [&](std::size_t k) { return (at(k) & 0xC0) == 0x80; };
  if (b >= 0xC2 && b <= 0xDF) return tail(1) ? 2 : 0;
  if (b >= 0xE0 && b <= 0xEF) {
    const unsigned char lo = b == 0xE0 ? 0xA0 : 0x80, hi = b == 0xED ? 0x9F : 0xBF;
    return at(1) >= lo && at(1) <= hi && tail(2) ? 3 : 0;
  }
  if (b >= 0xF0 && b <= 0xF4) {
    const unsigned char lo = b == 0xF0 ? 0x90 : 0x80, hi = b == 0xF4 ? 0x8F : 0xBF;
    return at(1) >= lo && at(1) <= hi && tail(2) && tail(3) ? 4 : 0;
  }
  return 0;
}

// The value of "\uXXXX" at text[i], or -1.
long Escape(std::string_view text, std::size_t i) {
  if (i + 6 > text.size() || text[i] != '\\' || text[i + 1] != 'u') return -1;
  long value = 0;
  for (std::size_t k = 2; k < 6; ++k) {
    const char c = text[i + k];
    const int digit = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
    if (digit < 0) return -1;
    value = value * 16 + digit;
  }
  return value;
}

// Mends the string that starts after the quote at out[i]; returns the index
// of its closing quote (or the end).
std::size_t MendString(std::string& out, std::size_t i) {
  while (i < out.size() && out[i] != '"') {
    const auto b = static_cast<unsigned char>(out[i]);
    if (b == '\\') {
      const long unit = Escape(out, i);
      if (unit >= 0xD800 && unit <= 0xDBFF) {
        const long low = Escape(out, i + 6);
        if (low >= 0xDC00 && low <= 0xDFFF) {
          i += 12;
          continue;
        }
      }
      if (unit >= 0xD800 && unit <= 0xDFFF) out.replace(i, 6, "\\u0020");
      i += unit >= 0 ? 6 : 2;
    } else if (b < 0x20) {
      out[i++] = ' ';
    } else if (b < 0x80) {
      ++i;
    } else if (const std::size_t n = Utf8Length(out, i); n > 0) {
      i += n;
    } else {
      out[i++] = ' ';
    }
  }
  return i;
}

// Mends the number that starts at out[i]; returns the index after it.
std::size_t MendNumber(std::string& out, std::size_t i) {
  const std::size_t start = i;
  while (i < out.size() && std::string_view("+-0123456789.eE").find(out[i]) != std::string_view::npos) ++i;
  // No service writes a number of 64 characters: a longer one is not read.
  constexpr std::size_t kLongest = 64;
  const std::string token = out.substr(start, std::min(i - start, kLongest + 1));
  char* end = nullptr;
  const double value = token.size() > kLongest ? HUGE_VAL : std::strtod(token.c_str(), &end);
  if (token.size() > kLongest || (end == token.c_str() + token.size() && !std::isfinite(value))) {
    // Not a figure at all: null, which every reader takes for "unknown". A
    // number past a double's range has at least five characters ("1e309").
    out.replace(start, i - start, "null" + std::string(i - start - 4, ' '));
  }
  return i;
}

}  // namespace

std::string MendServiceJson(std::string_view body) {
  std::string out(body);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const char c = out[i];
    if (c == '"') {
      i = MendString(out, i + 1);
    } else if (c == '-' || (c >= '0' && c <= '9')) {
      i = MendNumber(out, i) - 1;
    }
  }
  return out;
}

nlohmann::json ParseServiceJson(std::string_view body, std::string* why) {
  if (!NestingWithin(body, kMaxJsonNesting)) {
    if (why) *why = "nested deeper than " + std::to_string(kMaxJsonNesting) + " levels";
    return nlohmann::json(nlohmann::json::value_t::discarded);
  }
  const std::string mended = MendServiceJson(body);
  try {
    return nlohmann::json::parse(mended);
  } catch (const nlohmann::json::parse_error& error) {
    if (why) *why = "not valid JSON at byte " + std::to_string(error.byte);
  } catch (const nlohmann::json::exception&) {
    if (why) *why = "not valid JSON";
  }
  return nlohmann::json(nlohmann::json::value_t::discarded);
}

}  // namespace halvane::sources
