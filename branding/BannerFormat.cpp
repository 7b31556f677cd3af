#include "branding/BannerFormat.h"

#include "platform/CodePage.h"

namespace halvane {

std::string BannerFormatForExtension(std::string_view fileName) {
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos) return {};
  const std::string ext = platform::AnsiLowerCase(fileName.substr(dot + 1));
  if (ext == "jpg" || ext == "jpeg") return "jpeg";
  if (ext == "gif") return "gif";
  if (ext == "bmp" || ext == "dib") return "bmp";
  if (ext == "ico") return "ico";
  if (ext == "png") return "png";
  return {};
}

std::string BannerFormatForName(std::string_view fileName) {
  if (platform::AnsiLowerCase(fileName).find(".gif") != std::string::npos) return "gif";
  return BannerFormatForExtension(fileName);
}

}  // namespace halvane
