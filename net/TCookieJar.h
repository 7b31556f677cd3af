#pragma once
// The client's cookies, in memory for the client's lifetime.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace halvane {

struct TCookie {
  std::string name;
  std::string value;
  std::string domain;  // lower case; a leading "." for a domain cookie
  std::string path;
  bool secure = false;
  bool hasExpiry = false;
  bool badExpiry = false;     // an Expires that is no date: removed at the next request
  std::int64_t expiry = 0;    // seconds since 1970 UTC, when hasExpiry
  std::uint64_t order = 0;    // arrival, for dropping the oldest when the jar is full
};

class TCookieJar {
 public:
  // Bounds against a server that sets cookies without end.
  static constexpr std::size_t kMaxCookies = 3000;
  static constexpr std::size_t kMaxPerDomain = 50;

  // Takes one Set-Cookie (later: Set-Cookie2) value received from host; now
  // is the current time in seconds since 1970 UTC.
  void Store(std::string_view headerValue, std::string_view host, std::int64_t now);
  // Removes the cookies that have expired or whose expiry is no date.
  void RemoveExpired(std::int64_t now);
  // The Cookie header value for a request to host whose directory path is
  // directory; empty when no cookie goes.
  std::string HeaderFor(std::string_view host, std::string_view directory) const;

  const std::vector<TCookie>& Cookies() const noexcept { return FCookies; }

  // The domain rules, also for tests.
  static bool MayStore(std::string_view domain, std::string_view host);
  static bool DomainMatches(std::string_view domain, std::string_view host);

 private:
  std::vector<TCookie> FCookies;
  std::uint64_t FNextOrder = 0;
};

}  // namespace halvane
