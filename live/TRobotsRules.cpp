#include "live/TRobotsRules.h"

#include "base/TextScan.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace halvane::live {
namespace {

// RFC 9309 asks for at least 500 KiB to be parsed; what follows is ignored.
constexpr std::size_t kMaxBody = 512 * 1024;
// Rules past this limit are ignored. A rule may be as long as the file:
// matching is linear in the path and the pattern, whatever their bytes.
constexpr std::size_t kMaxRules = 10000;

// The product token at the start of a user-agent value: "Halvane/2.20"
// and "halvane (checks links)" both give "halvane"'s letters.
std::string_view ProductToken(std::string_view value) {
  std::size_t n = 0;
  while (n < value.size() && ((value[n] >= 'a' && value[n] <= 'z') || (value[n] >= 'A' && value[n] <= 'Z') ||
                              value[n] == '_' || value[n] == '-')) {
    ++n;
  }
  return value.substr(0, n);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsUnreserved(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

void AppendEscaped(std::string& out, unsigned char c) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out.push_back('%');
  out.push_back(kHex[c >> 4]);
  out.push_back(kHex[c & 15]);
}

// RFC 3986 5.2.4: "." and ".." segments of the path (before any "?")
// removed, so that "/public/../private/" is read as "/private/".
std::string WithoutDotSegments(std::string_view text) {
  const std::size_t query = text.find('?');
  std::string_view in = text.substr(0, query);
  std::string out;
  out.reserve(text.size());
  while (!in.empty()) {
    if (in.starts_with("../")) {
      in.remove_prefix(3);
    } else if (in.starts_with("./")) {
      in.remove_prefix(2);
    } else if (in.starts_with("/./")) {
      in.remove_prefix(2);
    } else if (in == "/.") {
      in = "/";
    } else if (in.starts_with("/../") || in == "/..") {
      in = in.size() == 3 ? std::string_view("/") : in.substr(3);
      const std::size_t last = out.rfind('/');
      out.resize(last == std::string::npos ? 0 : last);
    } else if (in == "." || in == "..") {
      in = {};
    } else {
      const std::size_t next = in.find('/', 1);
      const std::size_t n = next == std::string_view::npos ? in.size() : next;
      out.append(in.substr(0, n));
      in.remove_prefix(n);
    }
  }
  if (query != std::string_view::npos) out.append(text.substr(query));
  return out;
}

// One spelling for paths and patterns alike (RFC 9309 2.2.2): escapes of
// unreserved characters decoded, other escapes in upper case, octets outside
// printable US-ASCII (UTF-8 in a rule, say) escaped, dot segments removed.
// In a path, "*" and "$" are written %2A and %24, as a rule writes them
// when it means the character rather than a wildcard or the end (2.2.3);
// in a rule, a "$" before the end means the character too.
std::string Canonical(std::string_view text, bool pattern) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      const auto octet = static_cast<unsigned char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      if (IsUnreserved(octet)) {
        out.push_back(static_cast<char>(octet));
      } else {
        AppendEscaped(out, octet);
      }
      i += 2;
    } else if (c <= 0x20 || c >= 0x7F || c == '$' || (c == '*' && !pattern)) {
      AppendEscaped(out, c);
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return WithoutDotSegments(out);
}

// Where needle first occurs in hay from position from, or npos; linear in
// both (Knuth-Morris-Pratt), whatever repetitions they hold.
std::size_t Find(std::string_view hay, std::string_view needle, std::size_t from) {
  if (needle.empty()) return from <= hay.size() ? from : std::string_view::npos;
  if (from > hay.size() || hay.size() - from < needle.size()) return std::string_view::npos;
  std::vector<std::size_t> border(needle.size(), 0);
  for (std::size_t i = 1, k = 0; i < needle.size(); ++i) {
    while (k > 0 && needle[i] != needle[k]) k = border[k - 1];
    if (needle[i] == needle[k]) ++k;
    border[i] = k;
  }
  for (std::size_t i = from, k = 0; i < hay.size(); ++i) {
    while (k > 0 && hay[i] != needle[k]) k = border[k - 1];
    if (hay[i] == needle[k]) ++k;
    if (k == needle.size()) return i + 1 - needle.size();
  }
  return std::string_view::npos;
}

// Whether pattern ("*" any run of octets; anchored: to the end) matches the
// start of path. Each piece between stars is placed leftmost, which finds a
// match whenever there is one, in time linear in pattern and path.
bool Matches(std::string_view pattern, bool anchored, std::string_view path) {
  std::size_t star = pattern.find('*');
  if (star == std::string_view::npos) {
    return anchored ? path == pattern : path.substr(0, pattern.size()) == pattern;
  }
  if (path.substr(0, star) != pattern.substr(0, star)) return false;
  std::size_t at = star;
  pattern.remove_prefix(star + 1);
  while ((star = pattern.find('*')) != std::string_view::npos) {
    const std::string_view piece = pattern.substr(0, star);
    const std::size_t found = Find(path, piece, at);
    if (found == std::string_view::npos) return false;
    at = found + piece.size();
    pattern.remove_prefix(star + 1);
  }
  if (anchored) return path.size() >= at + pattern.size() && path.ends_with(pattern);
  return Find(path, pattern, at) != std::string_view::npos;
}

}  // namespace

TRobotsRules TRobotsRules::Parse(std::string_view body, std::string_view productToken) {
  if (body.size() > kMaxBody) {
    // A line cut short could say something else: it goes too.
    body = body.substr(0, kMaxBody);
    const std::size_t end = body.find_last_of("\r\n");
    body = end == std::string_view::npos ? std::string_view{} : body.substr(0, end);
  }
  if (body.substr(0, 3) == "\xEF\xBB\xBF") body.remove_prefix(3);
  const std::string_view token = ProductToken(productToken);

  // Groups for our token and groups for "*" are each merged into one.
  std::vector<TRule> ours;
  std::vector<TRule> anyone;
  bool haveOurs = false;
  bool inAgentLines = false;  // the last record was a user-agent line
  bool groupOurs = false;
  bool groupAnyone = false;
  bool groupOpen = false;

  while (!body.empty()) {
    const std::size_t end = body.find_first_of("\r\n");
    std::string_view line = body.substr(0, end);
    body.remove_prefix(end == std::string_view::npos ? body.size() : end + 1);
    line = line.substr(0, line.find('#'));
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view key = TrimWhiteSpace(line.substr(0, colon));
    const std::string_view value = TrimWhiteSpace(line.substr(colon + 1));

    if (EqualsNoCase(key, "user-agent")) {
      if (!inAgentLines) {
        groupOurs = false;
        groupAnyone = false;
      }
      inAgentLines = true;
      groupOpen = true;
      const std::string_view agent = ProductToken(value);
      if (!token.empty() && !agent.empty() && EqualsNoCase(agent, token)) {
        groupOurs = true;
        haveOurs = true;
      } else if (value == "*") {
        groupAnyone = true;
      }
      continue;
    }
    const bool allow = EqualsNoCase(key, "allow");
    if (!allow && !EqualsNoCase(key, "disallow")) continue;  // sitemap, crawl-delay, ...
    inAgentLines = false;
    // An empty path says nothing; rules before any user-agent line belong to no group.
    if (!groupOpen || value.empty()) continue;
    const bool anchored = value.back() == '$';
    std::string pattern = std::string(value.substr(0, value.size() - (anchored ? 1 : 0)));
    if (pattern.empty() || (pattern.front() != '/' && pattern.front() != '*')) pattern.insert(0, 1, '/');
    pattern = Canonical(pattern, true);
    // Runs of stars mean one star.
    for (std::size_t at = pattern.find("**"); at != std::string::npos; at = pattern.find("**", at)) {
      pattern.erase(at, 1);
    }
    if (groupOurs && ours.size() < kMaxRules) ours.push_back({pattern, allow, anchored});
    if (groupAnyone && anyone.size() < kMaxRules) anyone.push_back({std::move(pattern), allow, anchored});
  }

  TRobotsRules rules;
  rules.FRules = haveOurs ? std::move(ours) : std::move(anyone);
  return rules;
}

bool TRobotsRules::Allowed(std::string_view pathAndQuery) const {
  if (FRules.empty()) return true;
  const std::string path = Canonical(pathAndQuery.empty() ? std::string_view("/") : pathAndQuery, false);
  // The rules file itself is always allowed.
  if (path == "/robots.txt") return true;
  std::size_t bestLength = 0;
  bool allowed = true;
  bool any = false;
  for (const TRule& rule : FRules) {
    if (!Matches(rule.Pattern, rule.Anchored, path)) continue;
    // The longest pattern wins; of equally long ones, allow.
    const std::size_t length = rule.Pattern.size() + (rule.Anchored ? 1 : 0);
    if (!any || length > bestLength) {
      allowed = rule.Allow;
      bestLength = length;
      any = true;
    } else if (length == bestLength && rule.Allow) {
      allowed = true;
    }
  }
  return allowed;
}

}  // namespace halvane::live
