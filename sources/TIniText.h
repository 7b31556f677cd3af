#pragma once
// An INI text kept line by line, so that a program can read it with line
// numbers and rewrite single values while every other byte (comments, blank
// lines, lines it does not know, line endings) stays as it was.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "sources/TIniLine.h"

namespace halvane::sources {

class TIniText {
 public:
  // Lines end in LF or CR LF; ";" or "#" first on a line starts a comment.
  // Linear in the text; a leading UTF-8 byte order mark is kept but skipped.
  static TIniText Parse(std::string_view text);

  const std::vector<TIniLine>& Lines() const noexcept { return FLines; }

  // Sets key in section: the first such entry gets the new value (its key's
  // spelling and the line's ending kept); otherwise a line "key = value" is
  // added after the section's last entry, or a new section at the end.
  // Section and key names compare without regard to ASCII case.
  void Set(std::string_view section, std::string_view key, std::string_view value);
  bool Has(std::string_view section, std::string_view key) const;

  std::string Text() const;

 private:
  std::vector<TIniLine> FLines;
  bool FEndsWithBreak = true;
  std::string FBreak = "\n";  // the text's own line break, for added lines
};

}  // namespace halvane::sources
