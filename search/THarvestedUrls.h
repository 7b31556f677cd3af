#pragma once
// The addresses harvested from the result pages, in the order found. Each
// address is kept once: two spellings that differ only in letter case (the
// code page's case mapping) count as one, and the first one met is stored.
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace halvane {

class THarvestedUrls {
 public:
  void Clear();

  // Appends address unless an equal one (without regard to case) is held;
  // returns whether it was appended.
  bool Add(std::string_view address);
  bool Contains(std::string_view address) const;

  std::size_t Size() const noexcept { return FItems.size(); }
  bool Empty() const noexcept { return FItems.empty(); }
  const std::string& operator[](std::size_t index) const { return FItems[index]; }
  const std::vector<std::string>& Items() const noexcept { return FItems; }

 private:
  std::vector<std::string> FItems;
  std::unordered_set<std::string> FFoldedKeys;
};

}  // namespace halvane
