#pragma once
// The simulated Tranco list: lines "rank,domain" for kListSize ranks, with
// the blog sites' hosts ("127.0.0.2": an address has no registrable domain,
// so the program falls back to the host) among filler domains. Every fifth
// site (site % 5 == 4) is left out. Served as /top-1m.csv and, zipped, as
// /top-1m.csv.zip, both with a Last-Modified date; the list's id is the
// plain-text answer of /top-1m-id.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "TSimWeb.h"

namespace halvane::sim {

class TTrancoDownload {
 public:
  static constexpr std::uint32_t kListSize = 5000;
  // The day the list was generated, as the download's Last-Modified says.
  static constexpr std::string_view kLastModified = "Wed, 09 Dec 2026 00:00:00 GMT";
  static constexpr std::string_view kListDate = "2026-12-09";

  explicit TTrancoDownload(const TSimWeb& web) : web_(web) {}

  // The rank of site's host in the list, nothing when the list leaves it out.
  std::optional<std::uint32_t> SiteRank(int site) const;
  // What the program shows for site: the rank comma-grouped, or "-".
  std::string ShownSiteRank(int site) const;
  // The domain at a rank 1..kListSize.
  std::string DomainAt(std::uint32_t rank) const;

  // The list's id at its maker's site: five letters and digits, from the seed.
  std::string ListId() const;
  std::string Csv() const;  // "1,domain\r\n" lines, as Tranco writes them
  std::string Zip() const;  // top-1m.csv.zip holding top-1m.csv

 private:
  std::uint32_t Slot() const;
  const TSimWeb& web_;
};

// A zip archive (deflated) holding one file, built in memory with libzip.
// Throws std::runtime_error.
std::string ZipOneFile(std::string_view name, std::string_view content);

}  // namespace halvane::sim
