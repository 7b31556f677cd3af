#pragma once
// The results a harvest writes, as CSV (the results list's writer) or JSON,
// both read from the column table.
#include <string>
#include <string_view>
#include <vector>

#include "liverun/TLiveResult.h"
#include "liverun/TLiveRunListener.h"

namespace halvane::liverun {

struct TLiveTable {
  bool WithKeyword = false;    // several keywords ran: each row says which
  bool WithFootprint = false;  // several footprints ran: each row says which
  bool WithNew = false;        // a store remembers earlier runs: a last "New" column
  std::vector<TLiveResult> Results;
};

// The captions line and every row, each ended by CR LF (RFC 4180); a
// leading "Keyword" and "Footprint" column and a last "New" column when the
// table has them. Every cell is made safe
// for a spreadsheet (SpreadsheetSafeCell): the cells come from other
// people's pages.
std::string LiveCsvText(const TLiveTable& table);
// The same lines without their ends, for the results list's file writer.
std::vector<std::string> LiveCsvLines(const TLiveTable& table);
// cell with a leading ' when a spreadsheet would read it as a formula: it
// starts with '=', '+', '-', '@', a tab or a carriage return. The lone "-"
// (nothing known) stays as it is.
std::string SpreadsheetSafeCell(std::string_view cell);
// An array of objects with typed values (numbers, booleans, null for an
// unknown figure), two-space indented, ended by a line feed. Bytes that are
// not UTF-8 become U+FFFD.
std::string LiveJsonText(const TLiveTable& table);

// The report of every harvested address: "Address", "Final Address" and
// "Result" ("kept" or the reason the page has no row), "Keyword" first when
// several keywords ran, then "Footprint" when several footprints ran; CSV like the results, cells made safe alike.
std::string PageReportText(const std::vector<TPageOutcome>& outcomes, bool withKeyword,
                           bool withFootprint = false);

}  // namespace halvane::liverun
