#include "TTrancoDownload.h"

#include <zip.h>

#include <array>
#include <memory>
#include <stdexcept>

#include "SimText.h"

namespace halvane::sim {

namespace {

constexpr std::array<const char*, 8> kTlds = {"com", "org", "net", "de", "co.uk", "io", "fr", "com.au"};
constexpr std::array<const char*, 10> kWords = {"news",  "shop",  "cloud", "media", "maps",
                                                "video", "games", "mail",  "bank",  "travel"};

bool Listed(int site) { return site % 5 != 4; }

}  // namespace

std::uint32_t TTrancoDownload::Slot() const {
  // Each site owns a slot of ranks, so sites never share one.
  return kListSize / static_cast<std::uint32_t>(web_.SiteCount() > 0 ? web_.SiteCount() : 1);
}

std::optional<std::uint32_t> TTrancoDownload::SiteRank(int site) const {
  if (site < 0 || site >= web_.SiteCount() || !Listed(site)) return std::nullopt;
  const std::uint64_t h = MixNumbers({web_.Config().seed, static_cast<std::uint64_t>(site), 9});
  return static_cast<std::uint32_t>(site) * Slot() + 1 + static_cast<std::uint32_t>(h % Slot());
}

std::string TTrancoDownload::ShownSiteRank(int site) const {
  const auto rank = SiteRank(site);
  return rank ? GroupThousands(*rank) : "-";
}

std::string TTrancoDownload::DomainAt(std::uint32_t rank) const {
  const int site = static_cast<int>((rank - 1) / Slot());
  if (SiteRank(site) == rank) return TSimWeb::SiteIp(site);
  const std::uint64_t h = MixNumbers({web_.Config().seed, rank, 10});
  return std::string(kWords[h % kWords.size()]) + "-" + std::to_string(rank) + "." + kTlds[(h >> 8) % kTlds.size()];
}

std::string TTrancoDownload::ListId() const {
  static constexpr std::string_view kSigns = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::uint64_t h = MixNumbers({web_.Config().seed, 11});
  std::string id;
  for (int i = 0; i < 5; ++i, h /= kSigns.size()) id += kSigns[h % kSigns.size()];
  return id;
}

std::string TTrancoDownload::Csv() const {
  std::string csv;
  csv.reserve(kListSize * 24);
  for (std::uint32_t rank = 1; rank <= kListSize; ++rank) {
    csv += std::to_string(rank) + "," + DomainAt(rank) + "\r\n";
  }
  return csv;
}

std::string TTrancoDownload::Zip() const { return ZipOneFile("top-1m.csv", Csv()); }

std::string ZipOneFile(std::string_view name, std::string_view content) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
  if (!buffer) throw std::runtime_error(zip_error_strerror(&error));
  zip_source_keep(buffer);  // read the archive back from it after closing
  const std::unique_ptr<zip_source_t, decltype(&zip_source_free)> keep(buffer, &zip_source_free);
  zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
  if (!archive) throw std::runtime_error(zip_error_strerror(&error));
  zip_source_t* file = zip_source_buffer(archive, content.data(), content.size(), 0);
  if (!file || zip_file_add(archive, std::string(name).c_str(), file, ZIP_FL_ENC_UTF_8) < 0) {
    if (file) zip_source_free(file);
    const std::string message = zip_strerror(archive);
    zip_discard(archive);
    throw std::runtime_error(message);
  }
  if (zip_close(archive) < 0) {
    const std::string message = zip_strerror(archive);
    zip_discard(archive);
    throw std::runtime_error(message);
  }
  zip_stat_t stat;
  if (zip_source_stat(buffer, &stat) < 0 || zip_source_open(buffer) < 0) {
    throw std::runtime_error("cannot read the archive back");
  }
  std::string bytes(static_cast<std::size_t>(stat.size), '\0');
  const zip_int64_t n = zip_source_read(buffer, bytes.data(), bytes.size());
  zip_source_close(buffer);
  if (n != static_cast<zip_int64_t>(bytes.size())) throw std::runtime_error("cannot read the archive back");
  return bytes;
}

}  // namespace halvane::sim
