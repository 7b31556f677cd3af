#include "tools/fetch/PrintableText.h"

namespace halvane {

std::string PrintableText(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string shown;
  shown.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\\') {
      shown.append("\\\\");
    } else if (byte >= 0x20 && byte < 0x7F) {
      shown.push_back(c);
    } else {
      shown.append("\\x").push_back(kHex[byte >> 4]);
      shown.push_back(kHex[byte & 15]);
    }
  }
  return shown;
}

}  // namespace halvane
