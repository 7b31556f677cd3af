#include "sources/TIniText.h"

#include "base/TextScan.h"

namespace halvane::sources {
namespace {

TIniLine ParseLine(std::string_view raw, int number, const std::string& section) {
  TIniLine line;
  line.Number = number;
  line.Raw = raw;
  line.Section = section;
  std::string_view text = TrimWhiteSpace(raw);
  if (number == 1 && text.starts_with("\xEF\xBB\xBF")) text = TrimWhiteSpace(text.substr(3));
  if (text.empty()) return line;
  if (text.front() == ';' || text.front() == '#') {
    line.Kind = TIniLine::TKind::Comment;
  } else if (text.front() == '[') {
    if (text.back() != ']') {
      line.Kind = TIniLine::TKind::Malformed;
    } else {
      line.Kind = TIniLine::TKind::Section;
      line.Section = TrimWhiteSpace(text.substr(1, text.size() - 2));
    }
  } else if (const std::size_t equals = text.find('='); equals != std::string_view::npos) {
    line.Kind = TIniLine::TKind::Entry;
    line.Key = TrimWhiteSpace(text.substr(0, equals));
    line.Value = TrimWhiteSpace(text.substr(equals + 1));
  } else {
    line.Kind = TIniLine::TKind::Malformed;
  }
  return line;
}

}  // namespace

TIniText TIniText::Parse(std::string_view text) {
  TIniText ini;
  if (text.find("\r\n") != std::string_view::npos) ini.FBreak = "\r\n";
  ini.FEndsWithBreak = text.empty() || text.back() == '\n';
  std::string section;
  int number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view raw = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    TIniLine line = ParseLine(raw, ++number, section);
    if (line.Kind == TIniLine::TKind::Section) section = line.Section;
    ini.FLines.push_back(std::move(line));
  }
  return ini;
}

bool TIniText::Has(std::string_view section, std::string_view key) const {
  for (const TIniLine& line : FLines) {
    if (line.Kind == TIniLine::TKind::Entry && EqualsNoCase(line.Section, section) &&
        EqualsNoCase(line.Key, key)) {
      return true;
    }
  }
  return false;
}

void TIniText::Set(std::string_view section, std::string_view key, std::string_view value) {
  std::size_t insertAt = FLines.size();
  bool sectionFound = false;
  for (std::size_t i = 0; i < FLines.size(); ++i) {
    TIniLine& line = FLines[i];
    if (line.Kind == TIniLine::TKind::Section && EqualsNoCase(line.Section, section)) {
      sectionFound = true;
      insertAt = i + 1;
    }
    if (line.Kind != TIniLine::TKind::Entry || !EqualsNoCase(line.Section, section)) continue;
    insertAt = i + 1;
    if (!EqualsNoCase(line.Key, key)) continue;
    // Keep what stands before the value (indent, key spelling, blanks) and the CR.
    const std::size_t equals = line.Raw.find('=');
    std::size_t valueAt = equals + 1;
    while (valueAt < line.Raw.size() && (line.Raw[valueAt] == ' ' || line.Raw[valueAt] == '\t')) ++valueAt;
    const bool cr = !line.Raw.empty() && line.Raw.back() == '\r';
    line.Raw = line.Raw.substr(0, valueAt) + std::string(value) + (cr ? "\r" : "");
    line.Value = TrimWhiteSpace(value);
    return;
  }
  TIniLine added;
  added.Kind = TIniLine::TKind::Entry;
  added.Section = section;
  added.Key = key;
  added.Value = value;
  added.Raw = std::string(key) + " = " + std::string(value);
  if (!sectionFound) {
    if (!FLines.empty() && FLines.back().Kind != TIniLine::TKind::Blank) FLines.push_back({});
    TIniLine header;
    header.Kind = TIniLine::TKind::Section;
    header.Section = section;
    header.Raw = "[" + std::string(section) + "]";
    FLines.push_back(std::move(header));
    insertAt = FLines.size();
  }
  FLines.insert(FLines.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(added));
}

std::string TIniText::Text() const {
  std::string out;
  for (std::size_t i = 0; i < FLines.size(); ++i) {
    const TIniLine& line = FLines[i];
    out += line.Raw;
    // Added lines take the text's own break; a line read with CR LF has its CR in Raw.
    const bool last = i + 1 == FLines.size();
    if (!last || FEndsWithBreak) {
      out += (FBreak == "\r\n" && (line.Raw.empty() || line.Raw.back() != '\r')) ? FBreak : "\n";
    }
  }
  return out;
}

}  // namespace halvane::sources
