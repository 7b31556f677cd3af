#pragma once
// RankText: the one value handed from a PageRank worker to the waiting
// analysis. Each query gets a tag when it starts; an answer carrying an
// older tag (a query abandoned by Stop) is dropped, so it can never be
// taken for the answer of a later query.
#include <cstdint>
#include <mutex>
#include <string>

namespace halvane {

class TRankSlot {
 public:
  // Empties the slot for a new query and returns its tag.
  std::uint64_t Begin();
  // The worker's answer; kept only while tag is the newest query's.
  // Returns whether it was kept.
  bool Store(std::uint64_t tag, std::string text);
  // The newest query's answer, empty until it arrives.
  std::string Text() const;

 private:
  mutable std::mutex FMutex;
  std::uint64_t FTag = 0;
  std::string FText;
};

}  // namespace halvane
