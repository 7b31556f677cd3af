#include "search/CsvExport.h"

#include <algorithm>

#include "platform/AtomicFile.h"
#include "search/ResultsList.h"
#include "base/TextScan.h"

namespace halvane {
namespace {

void AppendField(std::string& line, std::string_view text) {
  if (!line.empty()) line += ',';
  line += '"';
  for (char c : text) {
    if (c == '"') line += '"';
    line += c;
  }
  line += '"';
}

}  // namespace

std::string CsvPathForChosenPath(std::string_view path) {
  const std::size_t folderEnd = path.find_last_of("/\\");
  const std::size_t dot = path.rfind('.');
  std::string_view extension;
  if (dot != std::string_view::npos && (folderEnd == std::string_view::npos || dot > folderEnd)) {
    extension = path.substr(dot);
  }
  std::string result(path);
  if (!(extension.size() == 4 && StartsWithNoCase(extension, ".csv"))) result += ".csv";
  return result;
}

std::string BuildCsvLine(const std::vector<std::string>& fields) {
  std::string line;
  for (const std::string& field : fields) AppendField(line, field);
  return line;
}

std::vector<std::string> BuildCsvLines(const std::vector<std::string>& captions,
                                       const std::vector<TResultItem>& rows) {
  std::vector<std::string> lines;
  lines.reserve(rows.size() + 1);
  lines.push_back(BuildCsvLine(captions));
  const int fields = std::max(1, static_cast<int>(captions.size()));
  for (const TResultItem& row : rows) {
    std::string line;
    for (int column = 0; column < fields; ++column) AppendField(line, ResultCellText(row, column));
    lines.push_back(std::move(line));
  }
  return lines;
}

std::string JoinCsvLines(const std::vector<std::string>& lines) {
  std::size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

bool WriteCsvFile(const std::string& path, const std::vector<std::string>& lines) {
  return platform::WriteFileAtomically(path, JoinCsvLines(lines));
}

}  // namespace halvane
