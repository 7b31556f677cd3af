#pragma once
// Reads a table's text line by line, as it comes in pieces, into a
// TEntryList. The layout is recognised from the first line:
//   "Rank","Domain","Extension","Open Page Rank","Referring Domains"
//       the Open PageRank download; the figure is "Open Page Rank" rounded
//       half up to 0..10;
//   domain,authority
//       a plain authority table, figures 0..10 (decimals rounded half up);
//   anything starting with a number
//       a Tranco list, lines "rank,domain" without a header, rank from 1.
// Domains are lower-cased; blank lines are skipped. Any other line is an
// error naming the table and the line.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tables/TEntryList.h"
#include "tables/TTableKind.h"

namespace halvane::tables {

class TTableReader {
 public:
  static constexpr std::size_t kMaxLine = 4096;

  // name: how messages call the table (its path). expected: the kind the
  // caller wants; a table of the other kind is refused.
  TTableReader(std::string name, TTableKind expected);

  // Both throw TTableError.
  void Feed(std::string_view bytes);
  void Finish();

  TEntryList& Entries() { return FEntries; }
  std::uint64_t Lines() const { return FLine; }

  // The kind a table's first line says it is, without reading further.
  static TTableKind KindOfFirstLine(std::string_view line);

 private:
  enum class TLayout { Unknown, OpenPageRank, PlainAuthority, Tranco };

  void Line(std::string_view line);
  void Entry(std::string_view line);
  [[noreturn]] void Fail(const std::string& what) const;

  std::string FName;
  TTableKind FExpected;
  TLayout FLayout = TLayout::Unknown;
  std::string FPartial;  // an unfinished line carried to the next piece
  std::uint64_t FLine = 0;
  std::vector<std::string> FUnquoted;  // fields of the current line
  std::string FDomain;
  TEntryList FEntries;
};

}  // namespace halvane::tables
