#include "SimText.h"

#include <limits>

namespace halvane::sim {
namespace {

constexpr std::uint64_t kFnvOffset = 14695981039346656037ull;
constexpr std::uint64_t kFnvPrime = 1099511628211ull;

std::uint64_t Finish(std::uint64_t h) {
  // splitmix64 finaliser: FNV alone leaves the low bits poorly spread.
  h ^= h >> 30;
  h *= 0xbf58476d1ce4e5b9ull;
  h ^= h >> 27;
  h *= 0x94d049bb133111ebull;
  h ^= h >> 31;
  return h;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

void RemoveAll(std::string& text, std::string_view what) {
  std::string out;
  out.reserve(text.size());
  std::size_t at = 0;
  while (true) {
    const std::size_t hit = text.find(what, at);
    if (hit == std::string::npos) break;
    out.append(text, at, hit - at);
    at = hit + what.size();
  }
  out.append(text, at, std::string::npos);
  text.swap(out);
}

}  // namespace

std::uint64_t HashText(std::string_view text, std::uint64_t seed) {
  std::uint64_t h = kFnvOffset ^ Finish(seed);
  for (const char c : text) {
    h ^= static_cast<unsigned char>(c);
    h *= kFnvPrime;
  }
  return Finish(h);
}

std::uint64_t MixNumbers(std::initializer_list<std::uint64_t> values) {
  std::uint64_t h = kFnvOffset;
  for (const std::uint64_t v : values) {
    h = Finish(h ^ (v + 0x9e3779b97f4a7c15ull));
  }
  return h;
}

std::vector<std::string_view> SplitAt(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  std::size_t at = 0;
  while (true) {
    const std::size_t end = text.find(separator, at);
    if (end == std::string_view::npos) {
      pieces.push_back(text.substr(at));
      return pieces;
    }
    pieces.push_back(text.substr(at, end - at));
    at = end + 1;
  }
}

std::string ToLowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return out;
}

std::string ToUpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return out;
}

std::string_view TrimControl(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= 0x20) text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= 0x20) text.remove_suffix(1);
  return text;
}

bool ContainsText(std::string_view haystack, std::string_view needle) {
  return haystack.find(needle) != std::string_view::npos;
}

std::string DecodePercent(std::string_view text, bool plusIsBlank) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '%' && i + 2 < text.size()) {
      const int hi = HexValue(text[i + 1]);
      const int lo = HexValue(text[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out.push_back(static_cast<char>(hi * 16 + lo));
        i += 2;
        continue;
      }
    }
    out.push_back(plusIsBlank && c == '+' ? ' ' : c);
  }
  return out;
}

std::string EncodePercent(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() * 3);
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '-' ||
        b == '.' || b == '_') {
      out.push_back(c);
    } else {
      out.push_back('%');
      out.push_back(kHex[b >> 4]);
      out.push_back(kHex[b & 15]);
    }
  }
  return out;
}

std::string EscapeHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

std::optional<std::uint64_t> ParseDecimal(std::string_view text, std::uint64_t max) {
  if (text.empty() || text.size() > 20) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  if (value > max) return std::nullopt;
  return value;
}

std::string GroupThousands(std::uint64_t value) {
  std::string digits = std::to_string(value);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out.push_back(',');
    out.push_back(digits[i]);
  }
  return out;
}

std::string StripAddressPrefixes(std::string_view address) {
  std::string out(address);
  RemoveAll(out, "http://");
  RemoveAll(out, "https://");
  RemoveAll(out, "www.");
  return out;
}

std::string StripHomeAddressPrefixes(std::string_view address) {
  if (!address.empty() && address.back() == '/') address.remove_suffix(1);
  return StripAddressPrefixes(address);
}

std::string HomePageAddress(std::string_view address) {
  std::string rest(address);
  RemoveAll(rest, "http://");
  const std::size_t slash = rest.find('/');
  if (slash != std::string::npos) rest.resize(slash);
  return "http://" + rest;
}

std::string_view QueryValue(std::string_view target, std::string_view key) {
  const std::size_t q = target.find('?');
  if (q == std::string_view::npos) return {};
  std::string_view rest = target.substr(q + 1);
  while (!rest.empty()) {
    const std::size_t amp = rest.find('&');
    const std::string_view pair = rest.substr(0, amp);
    if (pair.size() > key.size() && pair.substr(0, key.size()) == key && pair[key.size()] == '=') {
      return pair.substr(key.size() + 1);
    }
    if (amp == std::string_view::npos) break;
    rest.remove_prefix(amp + 1);
  }
  return {};
}

}  // namespace halvane::sim
