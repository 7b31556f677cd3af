// Arbitrary bytes as Brave's search answer: addresses or a message, in bounded time.
#include <cstdlib>

#include "sources/fuzz/ServiceAnswerFuzzer.h"
#include "sources/TBraveSearch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto page = halvane::sources::TBraveSearch::ParseAnswer(halvane::sources::fuzz::AnswerOf(data, size),
                                                                "https://api.search.brave.com/res/v1/web/search");
  // Errors come with nothing else.
  if (!page.Error.empty() && !page.Urls.empty()) std::abort();
  return 0;
}
