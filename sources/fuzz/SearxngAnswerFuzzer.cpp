// Arbitrary bytes as a SearXNG instance's answer: addresses or a message, in bounded time.
#include <cstdlib>

#include "sources/fuzz/ServiceAnswerFuzzer.h"
#include "sources/ServiceJson.h"
#include "sources/TSearxngSearch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto page = halvane::sources::TSearxngSearch::ParseAnswer(halvane::sources::fuzz::AnswerOf(data, size),
                                                                  "https://searx.example.org/");
  // A usable answer gives no message; an unusable one always says why.
  if (!page.Error.empty() && !page.Urls.empty()) std::abort();
  // Mending keeps every byte's place, and mended text needs no more mending.
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string mended = halvane::sources::MendServiceJson(bytes);
  if (mended.size() != size || halvane::sources::MendServiceJson(mended) != mended) std::abort();
  return 0;
}
