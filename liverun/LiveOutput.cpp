#include "liverun/LiveOutput.h"

#include <nlohmann/json.hpp>

#include "liverun/LiveColumns.h"
#include "search/CsvExport.h"

namespace halvane::liverun {
namespace {

nlohmann::ordered_json ToJson(const TJsonValue& value) {
  return std::visit([](const auto& v) { return nlohmann::ordered_json(v); }, value);
}

std::string NewText(const TLiveResult& result) {
  if (!result.IsNew) return std::string(kNoFigure);
  return *result.IsNew ? "Yes" : "No";
}

}  // namespace

std::string LiveCsvText(const TLiveTable& table) { return JoinCsvLines(LiveCsvLines(table)); }

std::vector<std::string> LiveCsvLines(const TLiveTable& table) {
  std::vector<std::string> lines;
  lines.reserve(table.Results.size() + 1);
  std::vector<std::string> cells;
  if (table.WithKeyword) cells.emplace_back(kKeywordCaption);
  if (table.WithFootprint) cells.emplace_back(kFootprintCaption);
  for (const std::string& caption : LiveColumnCaptions()) cells.push_back(caption);
  if (table.WithNew) cells.emplace_back(kNewCaption);
  lines.push_back(BuildCsvLine(cells));
  for (const TLiveResult& result : table.Results) {
    cells.clear();
    if (table.WithKeyword) cells.push_back(SpreadsheetSafeCell(result.Keyword));
    if (table.WithFootprint) cells.push_back(SpreadsheetSafeCell(result.Footprint));
    for (const TLiveColumnDef& column : LiveColumnTable()) cells.push_back(SpreadsheetSafeCell(column.Text(result)));
    if (table.WithNew) cells.push_back(NewText(result));
    lines.push_back(BuildCsvLine(cells));
  }
  return lines;
}

std::string PageReportText(const std::vector<TPageOutcome>& outcomes, bool withKeyword, bool withFootprint) {
  std::vector<std::string> lines;
  lines.reserve(outcomes.size() + 1);
  std::vector<std::string> cells;
  if (withKeyword) cells.emplace_back(kKeywordCaption);
  if (withFootprint) cells.emplace_back(kFootprintCaption);
  for (const char* caption : {"Address", "Final Address", "Result"}) cells.emplace_back(caption);
  lines.push_back(BuildCsvLine(cells));
  for (const TPageOutcome& outcome : outcomes) {
    cells.clear();
    if (withKeyword) cells.push_back(SpreadsheetSafeCell(outcome.Keyword));
    if (withFootprint) cells.push_back(SpreadsheetSafeCell(outcome.Footprint));
    cells.push_back(SpreadsheetSafeCell(outcome.Address));
    cells.push_back(SpreadsheetSafeCell(outcome.FinalAddress));
    cells.push_back(SpreadsheetSafeCell(outcome.Result));
    lines.push_back(BuildCsvLine(cells));
  }
  return JoinCsvLines(lines);
}

std::string SpreadsheetSafeCell(std::string_view cell) {
  if (cell.empty() || cell == "-") return std::string(cell);
  switch (cell.front()) {
    case '=': case '+': case '-': case '@': case '\t': case '\r':
      return "'" + std::string(cell);
    default:
      return std::string(cell);
  }
}

std::string LiveJsonText(const TLiveTable& table) {
  nlohmann::ordered_json array = nlohmann::ordered_json::array();
  for (const TLiveResult& result : table.Results) {
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    if (table.WithKeyword) object[std::string(kKeywordJsonName)] = result.Keyword;
    if (table.WithFootprint) object[std::string(kFootprintJsonName)] = result.Footprint;
    for (const TLiveColumnDef& column : LiveColumnTable()) {
      object[std::string(column.JsonName)] = ToJson(column.Json(result));
    }
    if (table.WithNew) {
      object[std::string(kNewJsonName)] = result.IsNew ? nlohmann::ordered_json(*result.IsNew) : nullptr;
    }
    array.push_back(std::move(object));
  }
  return array.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace halvane::liverun
