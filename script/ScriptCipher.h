#pragma once
// The block cipher that keeps the embedded script image enciphered.
#include <cstdint>
#include <string>
#include <string_view>

namespace halvane {

// Deciphers one 64-bit block (two words) in place with a 128-bit key.
void DecipherBlock(std::uint32_t block[2], const std::uint32_t key[4]) noexcept;
// The inverse of DecipherBlock.
void EncipherBlock(std::uint32_t block[2], const std::uint32_t key[4]) noexcept;

// Deciphers data block by block (the last one zero-filled to 8 bytes) with
// the first 16 bytes of key, zero-padded; plain is data's length rounded up
// to a multiple of 8.
void DecipherImage(std::string_view data, std::string_view key, std::string& plain);
void EncipherImage(std::string_view data, std::string_view key, std::string& enciphered);

}  // namespace halvane
