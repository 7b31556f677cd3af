#include "HttpAddress.h"

#include <algorithm>
#include <vector>

#include "HttpText.h"

namespace halvane {

THttpAddress ParseAddress(std::string_view input) {
  std::string address(input);
  std::replace(address.begin(), address.end(), '\\', '/');
  if (const auto hash = address.find('#'); hash != std::string::npos) address.resize(hash);

  THttpAddress result;
  std::string_view rest = address;
  std::size_t authorityStart = std::string::npos;
  if (const auto sep = rest.find("://"); sep != std::string::npos && rest.find_first_of("/?") > sep) {
    result.scheme = AsciiLowerCase(rest.substr(0, sep));
    authorityStart = sep + 3;
  } else if (rest.substr(0, 2) == "//") {
    authorityStart = 2;
  }
  if (authorityStart == std::string::npos) {
    result.target = std::string(rest);
    return result;
  }
  result.hasHost = true;
  rest.remove_prefix(authorityStart);
  const std::size_t authorityEnd = std::min(rest.find_first_of("/?"), rest.size());
  std::string_view authority = rest.substr(0, authorityEnd);
  std::string_view target = rest.substr(authorityEnd);
  if (const auto at = authority.rfind('@'); at != std::string::npos) authority.remove_prefix(at + 1);

  std::string_view portText;
  if (!authority.empty() && authority.front() == '[') {
    const auto close = authority.find(']');
    if (close == std::string::npos) {
      result.host = std::string(authority);
      result.port = 0;
    } else {
      result.host = std::string(authority.substr(1, close - 1));
      const std::string_view after = authority.substr(close + 1);
      if (!after.empty()) portText = after.front() == ':' ? after.substr(1) : after;
      if (!after.empty() && after.front() != ':') result.port = 0;
    }
  } else if (const auto colon = authority.rfind(':'); colon != std::string::npos) {
    result.host = std::string(authority.substr(0, colon));
    portText = authority.substr(colon + 1);
  } else {
    result.host = std::string(authority);
  }
  result.host = AsciiLowerCase(result.host);
  if (!portText.empty() && result.port != 0) {
    const auto number = ParseDecimal(portText);
    result.port = number && *number >= 1 && *number <= 65535 ? static_cast<int>(*number) : 0;
  }
  // Always rooted, so that the request line is well formed.
  result.target.reserve(target.size() + 1);
  if (target.empty() || target.front() != '/') result.target.push_back('/');
  result.target.append(target.data(), target.size());
  return result;
}

std::string DirectoryPath(std::string_view target) {
  std::size_t limit = target.find('?');
  if (limit == std::string::npos) limit = target.find('=');
  const std::string_view head = target.substr(0, limit == std::string::npos ? target.size() : limit);
  const auto slash = head.rfind('/');
  if (slash == std::string::npos) return {};
  return std::string(head.substr(0, slash + 1));
}

std::string RemoveDotSegments(std::string_view path) {
  const bool absolute = !path.empty() && path.front() == '/';
  std::vector<std::string_view> segments;
  bool trailingSlash = false;
  std::size_t start = absolute ? 1 : 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    const std::string_view segment = path.substr(start, end - start);
    const bool last = end == path.size();
    if (segment == ".") {
      trailingSlash = last;
    } else if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
      trailingSlash = last;
    } else {
      segments.push_back(segment);
      trailingSlash = false;
    }
    start = end + 1;
  }
  std::string result = absolute ? "/" : "";
  for (std::size_t i = 0; i < segments.size(); ++i) {
    if (i > 0) result += '/';
    result += segments[i];
  }
  if (trailingSlash && (result.empty() || result.back() != '/')) result += '/';
  return result;
}

std::string ResolveTarget(std::string_view directory, std::string_view target) {
  if (!target.empty() && target.front() == '/') return std::string(target);
  std::string combined(directory.empty() ? "/" : directory);
  combined.append(target);
  const auto query = combined.find('?');
  std::string path = RemoveDotSegments(std::string_view(combined).substr(0, query));
  if (query != std::string::npos) path.append(std::string_view(combined).substr(query));
  return path;
}

bool IsIpv4Address(std::string_view host) noexcept {
  int parts = 0;
  std::size_t start = 0;
  while (start <= host.size()) {
    const std::size_t end = std::min(host.find('.', start), host.size());
    const std::string_view part = host.substr(start, end - start);
    if (part.empty() || part.size() > 3) return false;
    int value = 0;
    for (char c : part) {
      if (c < '0' || c > '9') return false;
      value = value * 10 + (c - '0');
    }
    if (value > 255) return false;
    ++parts;
    start = end + 1;
  }
  return parts == 4;
}

}  // namespace halvane
