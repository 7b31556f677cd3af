// Arbitrary bytes as Open PageRank's bulk answer: figures only for the
// domains asked, each 0..10, or a message.
#include <cstdlib>

#include "sources/fuzz/ServiceAnswerFuzzer.h"
#include "sources/TOpenPageRank.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::vector<std::string> kAsked = {"a.com", "example.co.uk", "127.0.0.2", "b.org"};
  const auto answer = halvane::sources::TOpenPageRank::ParseAnswer(
      halvane::sources::fuzz::AnswerOf(data, size), "https://openpagerank.example/v1/domains/bulk", kAsked);
  if (answer.Figures.size() != kAsked.size()) std::abort();
  for (const auto& [domain, figure] : answer.Figures) {
    if (figure && (*figure < 0 || *figure > 10)) std::abort();
    if (figure && !answer.Error.empty()) std::abort();
  }
  return 0;
}
