#pragma once
// Reads a table's text line by line, as it comes in pieces, into a
// TEntryList. The layout is recognised from the first line:
//   Rank,Domain,Extension,Open Page Rank,Referring Domains
//       the Open PageRank download; the figure is "Open Page Rank" rounded
//       half up to 0..10;
//   Rank,Domain,Open Page Rank
//       the older Open PageRank download ("10.00"), the same figure;
//   domain,authority
//       a plain authority table, figures 0..10 (decimals rounded half up);
// Headers and fields may be quoted or not. A figure outside 0..10 (a
// negative, 1e308, NaN) leaves its domain unknown; text that is no number
// is an error.
//   anything starting with a number
//       a Tranco list, lines "rank,domain" without a header, rank from 1.
// Domains are lower-cased; blank lines are skipped, and so is a line that
// repeats the domain of the entry before it. Any other line is an
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
  // A full Tranco list has about 4.5 million lines, the Open PageRank
  // download 10 million: more than twice that is no such table (a zip of
  // one line repeated, say), and is refused before it takes minutes.
  static constexpr std::uint64_t kMaxTrancoLines = 10000000;
  static constexpr std::uint64_t kMaxAuthorityLines = 25000000;

  // name: how messages call the table (its path). expected: the kind the
  // caller wants; a table of the other kind is refused. maxLines: 0 for the
  // bound of the kind.
  TTableReader(std::string name, TTableKind expected, std::uint64_t maxLines = 0);

  // Both throw TTableError.
  void Feed(std::string_view bytes);
  void Finish();

  TEntryList& Entries() { return FEntries; }
  std::uint64_t Lines() const { return FLine; }

  // The kind a table's first line says it is, without reading further.
  static TTableKind KindOfFirstLine(std::string_view line);

 private:
  enum class TLayout { Unknown, OpenPageRank, OldOpenPageRank, PlainAuthority, Tranco };

  void Line(std::string_view line);
  void Entry(std::string_view line);
  [[noreturn]] void Fail(const std::string& what) const;

  std::string FName;
  TTableKind FExpected;
  TLayout FLayout = TLayout::Unknown;
  std::string FPartial;  // an unfinished line carried to the next piece
  std::uint64_t FLine = 0;
  std::uint64_t FMaxLines;
  std::vector<std::string> FUnquoted;  // fields of the current line
  std::string FDomain;
  TEntryList FEntries;
};

}  // namespace halvane::tables
