#pragma once
// The enciphered checksum script and its key, generated at build time from
// urlhash.asm.
#include <array>
#include <cstdint>

namespace halvane {

// The padded size is set once, in script/CMakeLists.txt, for this header and
// the build step that enciphers the image.
inline constexpr std::size_t kEncipheredScriptImageSize = HALVANE_SCRIPT_IMAGE_SIZE;

extern const std::array<std::uint8_t, kEncipheredScriptImageSize> EncipheredScriptImage;
extern const char ScriptImageKey[17];  // 16 characters

}  // namespace halvane
