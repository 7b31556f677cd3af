// Arbitrary bytes as a robots.txt: parsing and asking about paths must stay
// bounded and well defined. The tail of the input doubles as a path, so
// hostile paths meet hostile patterns.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "live/TRobotsRules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  const auto rules = halvane::live::TRobotsRules::Parse(body, "Halvane");
  const std::size_t tail = body.size() < 512 ? body.size() : 512;
  const std::string path = "/" + std::string(body.substr(body.size() - tail));
  for (const std::string_view p : {std::string_view("/"), std::string_view("/blog/2026/12/post/?a=%41&b=*$"),
                                   std::string_view(path)}) {
    const bool allowed = rules.Allowed(p);
    if (allowed != rules.Allowed(p)) __builtin_trap();
  }
  return 0;
}
