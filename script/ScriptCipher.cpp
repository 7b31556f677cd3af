#include "script/ScriptCipher.h"

#include <array>

namespace halvane {
namespace {

constexpr std::uint32_t kDelta = 0x9E3779B9u;

std::uint32_t Mix(std::uint32_t v, std::uint32_t sum, std::uint32_t k) noexcept {
  return (((v << 4) ^ (v >> 5)) + (v ^ sum)) + k;
}

std::uint32_t Le32(const unsigned char* p) noexcept {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void PutLe32(unsigned char* p, std::uint32_t v) noexcept {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

template <void (*Block)(std::uint32_t*, const std::uint32_t*) noexcept>
void TransformImage(std::string_view data, std::string_view key, std::string& out) {
  std::array<unsigned char, 16> keyBytes{};
  for (std::size_t i = 0; i < key.size() && i < keyBytes.size(); ++i) {
    keyBytes[i] = static_cast<unsigned char>(key[i]);
  }
  std::uint32_t k[4];
  for (int i = 0; i < 4; ++i) k[i] = Le32(keyBytes.data() + 4 * i);
  out.assign((data.size() + 7) / 8 * 8, '\0');
  for (std::size_t offset = 0; offset < data.size(); offset += 8) {
    unsigned char bytes[8] = {};
    for (std::size_t i = 0; i < 8 && offset + i < data.size(); ++i) {
      bytes[i] = static_cast<unsigned char>(data[offset + i]);
    }
    std::uint32_t block[2] = {Le32(bytes), Le32(bytes + 4)};
    Block(block, k);
    PutLe32(bytes, block[0]);
    PutLe32(bytes + 4, block[1]);
    for (std::size_t i = 0; i < 8; ++i) out[offset + i] = static_cast<char>(bytes[i]);
  }
}

}  // namespace

void DecipherBlock(std::uint32_t block[2], const std::uint32_t key[4]) noexcept {
  std::uint32_t y = block[0];
  std::uint32_t z = block[1];
  std::uint32_t sum = 0xC6EF3720u;
  for (int round = 0; round < 32; ++round) {
    z -= Mix(y, sum, key[(sum >> 11) & 3]);
    sum -= kDelta;
    y -= Mix(z, sum, key[sum & 3]);
  }
  block[0] = y;
  block[1] = z;
}

void EncipherBlock(std::uint32_t block[2], const std::uint32_t key[4]) noexcept {
  std::uint32_t y = block[0];
  std::uint32_t z = block[1];
  std::uint32_t sum = 0;
  for (int round = 0; round < 32; ++round) {
    y += Mix(z, sum, key[sum & 3]);
    sum += kDelta;
    z += Mix(y, sum, key[(sum >> 11) & 3]);
  }
  block[0] = y;
  block[1] = z;
}

void DecipherImage(std::string_view data, std::string_view key, std::string& plain) {
  TransformImage<DecipherBlock>(data, key, plain);
}

void EncipherImage(std::string_view data, std::string_view key, std::string& enciphered) {
  TransformImage<EncipherBlock>(data, key, enciphered);
}

}  // namespace halvane
