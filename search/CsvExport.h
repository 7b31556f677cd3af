#pragma once
// Export of the results list as a comma-separated text file.
#include <string>
#include <string_view>
#include <vector>

#include "search/TResultItem.h"

namespace halvane {

inline constexpr std::string_view kNoDataToSaveNotice = "You don't have any data to save.";
inline constexpr std::string_view kSaveDialogTitle = "Save file";
inline constexpr std::string_view kCsvDialogFilter = "CSV (Comma delimited) (*.csv)|*.csv";

// The chosen path with ".csv" appended unless its extension already is
// .csv in any letter case ("a.txt" becomes "a.txt.csv").
std::string CsvPathForChosenPath(std::string_view path);

// One line without its line end: every field enclosed in double quotes, a
// double quote inside it doubled, fields separated by commas, bytes
// otherwise copied unchanged.
std::string BuildCsvLine(const std::vector<std::string>& fields);

// The file's lines without their line ends: the captions, then every row in
// the given order with one field per caption (at least one). Every field is
// enclosed in double quotes, a double quote inside it doubled; fields are
// separated by commas; bytes are otherwise copied unchanged.
std::vector<std::string> BuildCsvLines(const std::vector<std::string>& captions,
                                       const std::vector<TResultItem>& rows);

// Every line followed by CR LF: the file's text.
std::string JoinCsvLines(const std::vector<std::string>& lines);

// Writes every line followed by CR LF, replacing the file at path only once
// the whole text is on disk (see WriteFileAtomically). Returns false on any
// failure; an older file at path is then left as it was.
bool WriteCsvFile(const std::string& path, const std::vector<std::string>& lines);

}  // namespace halvane
