#pragma once
// The publisher's news server: answers the list, latest-item and details
// requests for the configured identities.
#include <map>
#include <string>
#include <string_view>

#include "TSimConfig.h"

namespace halvane::sim {

class TNewsService {
 public:
  explicit TNewsService(const TSimConfig& config) : config_(config) {}

  // The reply body for a request to script ("getlastnews.php" or
  // "getnewsdetails.php") with the given form fields.
  std::string Reply(std::string_view script, const std::map<std::string, std::string>& fields) const;

  // The body as sent: "$", control bytes, quotes and bytes above 0x7E
  // written as "$" and two hex digits.
  static std::string EscapeBody(std::string_view html);

  // The record separator and the end marker of the replies.
  static constexpr char kRecord = '\xAF';
  static std::string EndMarker() { return std::string(1, kRecord) + "OK"; }

 private:
  const TSimConfig& config_;
};

}  // namespace halvane::sim
