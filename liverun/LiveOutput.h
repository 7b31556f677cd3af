#pragma once
// The table a harvest writes, as CSV (the results list's writer) or JSON.
#include <string>
#include <vector>

namespace halvane::liverun {

struct TLiveTable {
  std::vector<std::string> Captions;
  std::vector<std::vector<std::string>> Rows;  // a cell per caption
};

// The captions line and every row, each ended by CR LF (RFC 4180).
std::string LiveCsvText(const TLiveTable& table);
// An array of objects keyed by the captions in caption order, two-space
// indented, ended by a line feed. Bytes that are not UTF-8 become U+FFFD.
std::string LiveJsonText(const TLiveTable& table);

}  // namespace halvane::liverun
