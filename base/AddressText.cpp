#include "base/AddressText.h"

#include <algorithm>

namespace halvane {

std::string WithoutUserInfo(std::string_view address) {
  const std::size_t scheme = address.find("://");
  const std::size_t start = scheme == std::string_view::npos ? 0 : scheme + 3;
  const std::size_t end = std::min(address.find_first_of("/?#", start), address.size());
  // The last '@' of the authority ends the user information (a password may hold '@').
  const std::size_t at = address.substr(start, end - start).rfind('@');
  if (at == std::string_view::npos) return std::string(address);
  return std::string(address.substr(0, start)) + std::string(address.substr(start + at + 1));
}

}  // namespace halvane
