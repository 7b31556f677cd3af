#include "store/StoreLocation.h"

#include <cstdlib>

#include "base/Files.h"
#include "store/TStoreError.h"

namespace halvane::store {

namespace {

// Drops the value of every password=... parameter of a query.
std::string QueryWithoutPassword(std::string_view query) {
  std::string out;
  while (!query.empty()) {
    const std::size_t end = query.find('&');
    const std::string_view parameter = query.substr(0, end);
    out += parameter.starts_with("password=") ? std::string_view("password=") : parameter;
    if (end == std::string_view::npos) break;
    out += '&';
    query.remove_prefix(end + 1);
  }
  return out;
}

}  // namespace

std::string DefaultStorePath() {
  const std::string data = XdgFolder("XDG_DATA_HOME", ".local/share");
  if (data.empty()) {
    throw TStoreError("no folder for the store: neither XDG_DATA_HOME nor HOME is set; pass --db FILE");
  }
  return data + "/halvane/halvane.db";
}

bool IsPostgresUrl(std::string_view location) {
  return location.starts_with("postgresql://") || location.starts_with("postgres://");
}

std::string WithoutPassword(std::string_view url) {
  const std::size_t scheme = url.find("://");
  if (scheme == std::string_view::npos) return std::string(url);
  std::string_view rest = url.substr(scheme + 3);
  const std::size_t queryAt = rest.find('?');
  std::string_view query = queryAt == std::string_view::npos ? std::string_view() : rest.substr(queryAt + 1);
  rest = rest.substr(0, queryAt);
  std::string out(url.substr(0, scheme + 3));
  // The last '@' ends the user part: a password may hold '/' or '@' unescaped.
  const std::size_t at = rest.rfind('@');
  if (at != std::string_view::npos) {
    const std::string_view user = rest.substr(0, at);
    out += user.substr(0, user.find(':'));
    rest.remove_prefix(at);
  }
  out += rest;
  if (queryAt != std::string_view::npos) out += "?" + QueryWithoutPassword(query);
  return out;
}

}  // namespace halvane::store
