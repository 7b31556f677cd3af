#include "TCookieJar.h"

#include <algorithm>

#include "HttpAddress.h"
#include "HttpDate.h"
#include "HttpText.h"

namespace halvane {

namespace {

bool EndsWith(std::string_view text, std::string_view tail) noexcept {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

std::string_view Unquote(std::string_view text) noexcept {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return text.substr(1, text.size() - 2);
  return text;
}

}  // namespace

bool TCookieJar::MayStore(std::string_view domain, std::string_view host) {
  if (domain.empty() || host.empty()) return false;
  if (IsIpv4Address(host)) return domain == host;
  if (domain.front() != '.') return domain == host;
  const auto dot = host.find('.');
  if (dot == std::string::npos) return false;
  // A domain of a single label (".com") would reach every host under it.
  if (domain.find('.', 1) == std::string::npos) return false;
  return domain == host.substr(dot);
}

bool TCookieJar::DomainMatches(std::string_view domain, std::string_view host) {
  // Only the host itself, or for a "." domain the hosts below it; a host
  // that merely contains the domain is somebody else's.
  if (domain.empty()) return false;
  if (domain.front() != '.') return host == domain;
  return host == domain.substr(1) || EndsWith(host, domain);
}

void TCookieJar::Store(std::string_view headerValue, std::string_view requestHost, std::int64_t now) {
  const std::string host = AsciiLowerCase(requestHost);
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (start <= headerValue.size()) {
    const std::size_t end = std::min(headerValue.find(';', start), headerValue.size());
    parts.push_back(TrimHeaderBlanks(headerValue.substr(start, end - start)));
    start = end + 1;
  }
  if (parts.empty() || parts.front().empty()) return;

  TCookie cookie;
  const std::string_view pair = parts.front();
  const auto equals = pair.find('=');
  cookie.name = std::string(TrimHeaderBlanks(pair.substr(0, equals)));
  if (equals != std::string::npos) cookie.value = std::string(TrimHeaderBlanks(pair.substr(equals + 1)));
  if (cookie.name.empty() || HasControlBytes(cookie.name) || HasControlBytes(cookie.value)) return;

  std::optional<std::int64_t> maxAge;
  bool hasExpires = false;
  for (std::size_t i = 1; i < parts.size(); ++i) {
    const std::string_view part = parts[i];
    const auto eq = part.find('=');
    const std::string_view name = TrimHeaderBlanks(part.substr(0, eq));
    const std::string_view value = eq == std::string::npos ? std::string_view{} : TrimHeaderBlanks(part.substr(eq + 1));
    if (EqualsNoCase(name, "path")) {
      cookie.path = std::string(Unquote(value));
    } else if (EqualsNoCase(name, "domain")) {
      cookie.domain = AsciiLowerCase(Unquote(value));
    } else if (EqualsNoCase(name, "expires")) {
      hasExpires = true;
      cookie.hasExpiry = true;
      if (const auto when = ParseHttpDate(value)) {
        cookie.expiry = *when;
        cookie.badExpiry = false;
      } else {
        cookie.badExpiry = true;
      }
    } else if (EqualsNoCase(name, "max-age")) {
      const bool negative = !value.empty() && value.front() == '-';
      if (const auto seconds = ParseDecimal(negative ? value.substr(1) : value)) {
        maxAge = negative ? -1 : std::min<std::int64_t>(*seconds, std::int64_t{1} << 40);
      }
    } else if (EqualsNoCase(name, "secure")) {
      cookie.secure = true;
    }
    // Version, Comment, CommentURL, Discard and Port change nothing here.
  }
  if (!hasExpires && maxAge) {
    cookie.hasExpiry = true;
    cookie.expiry = now + *maxAge;
  }
  if (cookie.domain.empty()) cookie.domain = host;
  if (HasControlBytes(cookie.path) || !MayStore(cookie.domain, host)) return;

  const auto same = [&](const TCookie& c) {
    return EqualsNoCase(c.domain, cookie.domain) && EqualsNoCase(c.name, cookie.name);
  };
  FCookies.erase(std::remove_if(FCookies.begin(), FCookies.end(), same), FCookies.end());
  cookie.order = FNextOrder++;
  const auto inDomain = std::count_if(FCookies.begin(), FCookies.end(),
                                      [&](const TCookie& c) { return c.domain == cookie.domain; });
  const auto dropOldest = [this](auto predicate) {
    auto oldest = FCookies.end();
    for (auto it = FCookies.begin(); it != FCookies.end(); ++it) {
      if (predicate(*it) && (oldest == FCookies.end() || it->order < oldest->order)) oldest = it;
    }
    if (oldest != FCookies.end()) FCookies.erase(oldest);
  };
  if (static_cast<std::size_t>(inDomain) >= kMaxPerDomain) {
    dropOldest([&](const TCookie& c) { return c.domain == cookie.domain; });
  }
  if (FCookies.size() >= kMaxCookies) dropOldest([](const TCookie&) { return true; });
  FCookies.push_back(std::move(cookie));
}

void TCookieJar::RemoveExpired(std::int64_t now) {
  FCookies.erase(std::remove_if(FCookies.begin(), FCookies.end(),
                                [now](const TCookie& c) { return c.hasExpiry && (c.badExpiry || c.expiry <= now); }),
                 FCookies.end());
}

std::string TCookieJar::HeaderFor(std::string_view requestHost, std::string_view directory) const {
  const std::string host = AsciiLowerCase(requestHost);
  std::vector<const TCookie*> selected;
  for (const TCookie& c : FCookies) {
    if (c.secure || c.value.empty() || !DomainMatches(c.domain, host)) continue;
    if (!c.path.empty() && directory.substr(0, c.path.size()) != c.path) continue;
    selected.push_back(&c);
  }
  std::stable_sort(selected.begin(), selected.end(), [](const TCookie* a, const TCookie* b) {
    return AsciiLowerCase(a->path) > AsciiLowerCase(b->path);
  });
  std::string header;
  for (const TCookie* c : selected) {
    if (!header.empty()) header += "; ";
    header.append(c->name).append("=").append(c->value);
  }
  return header;
}

}  // namespace halvane
