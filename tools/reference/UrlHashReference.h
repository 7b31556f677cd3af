#pragma once
// Native reference of the toolbar checksum that the embedded "urlhash"
// script computes. It belongs to the tests and the simulated web only: the
// program itself computes the checksum through the script machine.
#include <cstdint>
#include <string_view>

namespace halvane::test {

// The 32-bit hash CH over a byte string.
std::uint32_t ReferenceHashBytes(std::string_view bytes);

// The checksum of text; oldVersion selects the old variant.
std::uint32_t ReferenceUrlHash(std::string_view text, bool oldVersion);

}  // namespace halvane::test
