#include "live/TRobotsRules.h"

#include "base/TextScan.h"

#include <cstddef>
#include <cstdint>

namespace halvane::live {
namespace {

// RFC 9309 asks for at least 500 KiB to be parsed; what follows is ignored.
constexpr std::size_t kMaxBody = 512 * 1024;
// Rules past these limits are ignored, so that matching one path costs at
// most kMaxRules finds over it, each with a pattern of at most kMaxPattern.
constexpr std::size_t kMaxRules = 10000;
constexpr std::size_t kMaxPattern = 2048;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

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

// One spelling for paths and patterns alike (RFC 9309 2.2.2): escapes of
// unreserved characters decoded, other escapes in upper case, octets outside
// printable US-ASCII (UTF-8 in a rule, say) escaped, the rest as it stands.
std::string Canonical(std::string_view text) {
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
    } else if (c <= 0x20 || c >= 0x7F) {
      AppendEscaped(out, c);
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out;
}

// Whether pattern ("*" any run of octets, a final "$" the end) matches the
// start of path. Each piece between stars is placed leftmost, which finds
// a match whenever there is one, in time bounded by pattern times path.
bool Matches(std::string_view pattern, std::string_view path) {
  const bool anchored = !pattern.empty() && pattern.back() == '$';
  if (anchored) pattern.remove_suffix(1);
  std::size_t star = pattern.find('*');
  if (star == std::string_view::npos) {
    return anchored ? path == pattern : path.substr(0, pattern.size()) == pattern;
  }
  if (path.substr(0, star) != pattern.substr(0, star)) return false;
  std::size_t at = star;
  pattern.remove_prefix(star + 1);
  while ((star = pattern.find('*')) != std::string_view::npos) {
    const std::string_view piece = pattern.substr(0, star);
    const std::size_t found = path.find(piece, at);
    if (found == std::string_view::npos) return false;
    at = found + piece.size();
    pattern.remove_prefix(star + 1);
  }
  if (anchored) return path.size() >= at + pattern.size() && path.ends_with(pattern);
  return path.find(pattern, at) != std::string_view::npos;
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
    const std::string_view key = Trim(line.substr(0, colon));
    const std::string_view value = Trim(line.substr(colon + 1));

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
    std::string pattern = Canonical(value);
    if (pattern.front() != '/' && pattern.front() != '*') pattern.insert(0, 1, '/');
    // Runs of stars mean one star.
    for (std::size_t at = pattern.find("**"); at != std::string::npos; at = pattern.find("**", at)) {
      pattern.erase(at, 1);
    }
    if (pattern.size() > kMaxPattern) continue;
    if (groupOurs && ours.size() < kMaxRules) ours.push_back({pattern, allow});
    if (groupAnyone && anyone.size() < kMaxRules) anyone.push_back({std::move(pattern), allow});
  }

  TRobotsRules rules;
  rules.FRules = haveOurs ? std::move(ours) : std::move(anyone);
  return rules;
}

bool TRobotsRules::Allowed(std::string_view pathAndQuery) const {
  if (FRules.empty()) return true;
  const std::string path = Canonical(pathAndQuery.empty() ? std::string_view("/") : pathAndQuery);
  // The rules file itself is always allowed.
  if (path == "/robots.txt") return true;
  std::size_t bestLength = 0;
  bool allowed = true;
  bool any = false;
  for (const TRule& rule : FRules) {
    if (!Matches(rule.Pattern, path)) continue;
    // The longest pattern wins; of equally long ones, allow.
    const std::size_t length = rule.Pattern.size();
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
