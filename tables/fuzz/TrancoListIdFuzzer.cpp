// Arbitrary bytes as a Tranco list's id file, and as the answer that names
// the latest list's id. What parses must write out as text that parses to
// the same id and date.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tables/TTrancoListId.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using halvane::tables::TTrancoListId;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  (void)TTrancoListId::IdFromAnswer(bytes);
  const auto id = TTrancoListId::Parse(bytes);
  if (!id) return 0;
  const auto again = TTrancoListId::Parse(id->Text());
  if (!again || again->Id != id->Id || again->Date != id->Date) std::abort();
  (void)id->ListCitation();
  return 0;
}
