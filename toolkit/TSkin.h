#pragma once
// The skin: a Qt style sheet shared by every window, stored compressed
// (zlib compress2 over its UTF-8 bytes). The built-in one is "mainskin.skn";
// a branded "mainskin.dat" in the program folder replaces it.
#include <QString>

#include <cstddef>
#include <string>
#include <string_view>

#include "branding/SkinFile.h"

namespace halvane {

class TSkin {
 public:
  // Skins are small; anything that inflates beyond this is refused.
  static constexpr std::size_t kMaxSkinBytes = halvane::kMaxSkinBytes;

  // The inflated bytes, or an empty text when packed is not a complete zlib
  // stream or inflates beyond kMaxSkinBytes.
  static std::string Decompress(std::string_view packed);

  static QString BuiltInStyleSheet();

  // The style sheet of a skin file; empty when the file is missing,
  // unreadable, corrupt or yields an empty skin.
  static QString LoadFile(const std::string& path);

  // Puts the style sheet on the whole application (all windows).
  static void Apply(const QString& styleSheet);
  static void ApplyBuiltIn();
  // Replaces the skin by the file's when it yields a non-empty skin.
  static bool ApplyFile(const std::string& path);
};

}  // namespace halvane
