#pragma once
#include <cstdint>
#include <string>

namespace halvane::sim {

// One item the news server publishes; the body is HTML, sent escaped.
struct TNewsItem {
  std::uint32_t id = 0;
  std::string title;
  std::string date;
  std::string body;
};

}  // namespace halvane::sim
