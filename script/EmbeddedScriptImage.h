#pragma once
// The enciphered checksum script and its key, generated at build time from
// urlhash.asm.
#include <array>
#include <cstdint>

namespace halvane {

inline constexpr std::size_t kEncipheredScriptImageSize = 1432;

extern const std::array<std::uint8_t, kEncipheredScriptImageSize> EncipheredScriptImage;
extern const char ScriptImageKey[17];  // 16 characters

}  // namespace halvane
