// Arbitrary bytes as a welcome page or news body. The first two bytes pick
// small limits, so that every limit is reached; the result must keep within
// them, and bounding a result that was not cut changes nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "markup/BoundHtml.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace halvane::markup;
  if (size < 2) return 0;
  THtmlLimits limits;
  limits.MaxBytes = 64 + static_cast<std::size_t>(data[0]) * 64;
  limits.MaxDepth = 1 + (data[1] & 15);
  limits.MaxTableDepth = 1 + (data[1] >> 6);
  limits.MaxElements = 1 + (data[1] >> 2) * 4;
  limits.MaxTableCells = 1 + (data[0] & 31);
  limits.MaxWord = 4 + (data[0] & 63);
  const std::string_view html(reinterpret_cast<const char*>(data + 2), size - 2);
  const std::string bounded = BoundHtml(html, limits);
  if (bounded.size() > limits.MaxBytes + limits.MaxDepth * 35 + kCutNotice.size()) std::abort();
  const bool cut = bounded.size() >= kCutNotice.size() &&
                   std::string_view(bounded).substr(bounded.size() - kCutNotice.size()) == kCutNotice;
  if (!cut && bounded.size() <= limits.MaxBytes && BoundHtml(bounded, limits) != bounded) std::abort();
  return 0;
}
