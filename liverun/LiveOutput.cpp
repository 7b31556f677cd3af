#include "liverun/LiveOutput.h"

#include <nlohmann/json.hpp>

#include "search/CsvExport.h"

namespace halvane::liverun {

std::string LiveCsvText(const TLiveTable& table) {
  std::vector<std::string> lines;
  lines.reserve(table.Rows.size() + 1);
  lines.push_back(BuildCsvLine(table.Captions));
  for (const std::vector<std::string>& row : table.Rows) lines.push_back(BuildCsvLine(row));
  return JoinCsvLines(lines);
}

std::string LiveJsonText(const TLiveTable& table) {
  nlohmann::ordered_json array = nlohmann::ordered_json::array();
  for (const std::vector<std::string>& row : table.Rows) {
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    for (std::size_t column = 0; column < table.Captions.size(); ++column) {
      object[table.Captions[column]] = column < row.size() ? row[column] : std::string();
    }
    array.push_back(std::move(object));
  }
  return array.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace halvane::liverun
