#pragma once
// Which Tranco list a downloaded file holds, kept beside it in "<list>.id" so
// that the list can be cited as its makers ask. The file is text, one
// "key value" line each:
//   id Z3VXG          the list's id at tranco-list.eu (left out when the
//                     download could not learn it)
//   date 2026-12-09   the day the list was generated (its Last-Modified date)
// Unknown keys are skipped, so later versions can add some. Usage:
//   TTrancoListId id;
//   id.Id = TTrancoListId::IdFromAnswer(body).value_or("");  // /top-1m-id
//   id.Date = TTrancoListId::DateOf(*ParseHttpDate(lastModified));
//   std::string error = id.Write(listPath);
//   TTrancoListId::CitationFor(listPath)  -> "V. Le Pochat, ... NDSS 2019;
//       Tranco list generated on 2026-12-09, available at
//       https://tranco-list.eu/list/Z3VXG."
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace halvane::tables {

// The paper the list's makers ask users to cite.
inline constexpr std::string_view kTrancoPaper =
    "V. Le Pochat, T. Van Goethem, S. Tajalizadehkhoob, M. Korczynski and W. Joosen, \"Tranco: A Research-Oriented "
    "Top Sites Ranking Hardened Against Manipulation\", NDSS 2019";

struct TTrancoListId {
  // The side file is a few dozen bytes; anything bigger is not one.
  static constexpr std::size_t kMaxFileSize = 4096;
  static constexpr std::size_t kMaxId = 32;

  std::string Id;    // letters and digits; "" when unknown
  std::string Date;  // YYYY-MM-DD; "" when unknown

  static std::string PathFor(const std::string& listPath) { return listPath + ".id"; }

  // The id in the plain-text answer of https://tranco-list.eu/top-1m-id
  // (blanks around it allowed); none when the answer is no id.
  static std::optional<std::string> IdFromAnswer(std::string_view answer);
  // The UTC day of a time (seconds since 1970), as YYYY-MM-DD.
  static std::string DateOf(std::int64_t seconds);

  // The side file's text parsed; none when a line is damaged.
  static std::optional<TTrancoListId> Parse(std::string_view text);
  std::string Text() const;

  // Reads the side file of listPath. None without one (error stays "") or
  // when it cannot be read or is damaged (error says which file and why).
  static std::optional<TTrancoListId> Read(const std::string& listPath, std::string& error);
  // Writes the side file of listPath (through a temporary file renamed over
  // it). "" when written, else why not, naming the file.
  std::string Write(const std::string& listPath) const;

  // "Tranco list generated on <date>, available at
  // https://tranco-list.eu/list/<id>"; the parts not known are left out.
  std::string ListCitation() const;
  // The paper and the list at listPath: its side file's id and date, else
  // the day the file was written ("Tranco list of <date>").
  static std::string CitationFor(const std::string& listPath);
};

}  // namespace halvane::tables
