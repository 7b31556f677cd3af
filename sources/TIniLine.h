#pragma once
// One line of an INI text as TIniText keeps it.
#include <string>

namespace halvane::sources {

struct TIniLine {
  enum class TKind { Blank, Comment, Section, Entry, Malformed };
  TKind Kind = TKind::Blank;
  int Number = 0;       // from 1
  std::string Raw;      // the line without its line break
  std::string Section;  // Section: its name; Entry: the section it is in ("" before any)
  std::string Key;      // Entry: trimmed
  std::string Value;    // Entry: trimmed
};

}  // namespace halvane::sources
