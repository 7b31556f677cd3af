// Feeds arbitrary bytes to the modern page test. Up to the first "\n~~\n" is
// the user's domain, the rest the page (no separator: the whole input is the
// page and the domain is "example").
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "pagetest/PageTest.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace halvane::pagetest;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string_view domain = "example";
  const auto split = input.find("\n~~\n");
  if (split != std::string_view::npos && split < 256) {
    domain = input.substr(0, split);
    input.remove_prefix(split + 4);
  }
  const TPageVerdict verdict = TestModernPage(input, domain);
  // The verdict holds together whatever the bytes were.
  if (verdict.Qualifies != verdict.Reason.empty()) std::abort();
  if (verdict.Qualifies && (!verdict.IsWordPress || !verdict.FollowLinksOnly)) std::abort();
  if (verdict.Anchor.empty() || (!verdict.HasYourLink && verdict.Anchor != "-")) std::abort();
  return 0;
}
