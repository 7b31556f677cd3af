// Arbitrary bytes as Brave's search answer: addresses or a message, in bounded time.
#include <cstdlib>

#include "sources/fuzz/ServiceAnswerFuzzer.h"
#include "sources/TBraveSearch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto page = halvane::sources::TBraveSearch::ParseAnswer(halvane::sources::fuzz::AnswerOf(data, size),
                                                                "https://api.search.brave.com/res/v1/web/search");
  // Errors come with nothing else.
  if (!page.Error.empty() && !page.Urls.empty()) std::abort();
  // A wait is never negative, and never past a minute.
  const auto response = halvane::sources::fuzz::AnswerOf(data, size);
  if (const auto reset = halvane::sources::TBraveSearch::RateLimitReset(response); reset && *reset < 0) std::abort();
  const auto request = halvane::sources::TBraveSearch::BuildRequest("https://b.example/", "k", "q", 0);
  for (int attempt = 1; attempt <= 3; ++attempt) {
    if (const auto wait = request.RetryWait(response, attempt); wait && (*wait < 0 || *wait > 60)) std::abort();
  }
  return 0;
}
