#include "search/PageText.h"

namespace halvane {

std::string GettingUrlStatusText(std::string_view address) {
  std::string text = "Getting URL: ";
  text += address;
  text += "...";
  return text;
}

std::string PageTextFromBody(std::string_view body) {
  const std::size_t nul = body.find('\0');
  if (nul != std::string_view::npos) body = body.substr(0, nul);
  std::string text;
  text.reserve(body.size() + body.size() / 16 + 2);
  std::size_t i = 0;
  while (i < body.size()) {
    const char c = body[i++];
    if (c == '\r') {
      if (i < body.size() && body[i] == '\n') ++i;
      text += "\r\n";
    } else if (c == '\n') {
      text += "\r\n";
    } else {
      text += c;
    }
  }
  if (!body.empty() && body.back() != '\r' && body.back() != '\n') text += "\r\n";
  return text;
}

}  // namespace halvane
