#include "platform/IniFile.h"

#include <fstream>

#include "base/TextScan.h"

namespace halvane::platform {
namespace {

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace

std::string ReadIniValueFromText(std::string_view text, std::string_view section,
                                 std::string_view key) {
  const std::size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  section = TrimBlanks(section);
  key = TrimBlanks(key);

  bool inSection = false;
  bool sectionSeen = false;
  while (!text.empty()) {
    const std::size_t end = text.find_first_of("\r\n");
    const std::string_view line = TrimBlanks(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      if (sectionSeen) break;  // only the first section of that name counts
      const std::size_t close = line.find(']');
      const std::string_view name =
          TrimBlanks(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
      inSection = EqualsNoCase(name, section);
      sectionSeen = inSection;
      continue;
    }
    if (!inSection) continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    if (EqualsNoCase(TrimBlanks(line.substr(0, equals)), key)) {
      return std::string(Unquote(TrimBlanks(line.substr(equals + 1))));
    }
  }
  return {};
}

std::string ReadIniValue(const std::string& path, std::string_view section, std::string_view key) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::string text(kIniFileSizeLimit + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  const auto got = static_cast<std::size_t>(in.gcount());
  if (got > kIniFileSizeLimit) return {};
  text.resize(got);
  return ReadIniValueFromText(text, section, key);
}

}  // namespace halvane::platform
