#include "tables/TTrancoListId.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "base/RegularFile.h"
#include "base/TextScan.h"

namespace halvane::tables {

namespace {

constexpr std::string_view kListAddress = "https://tranco-list.eu/list/";

bool IsId(std::string_view text) {
  if (text.empty() || text.size() > TTrancoListId::kMaxId) return false;
  for (const char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return false;
  }
  return true;
}

bool IsDate(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
  for (const std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  const int month = (text[5] - '0') * 10 + (text[6] - '0');
  const int day = (text[8] - '0') * 10 + (text[9] - '0');
  return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

}  // namespace

std::optional<std::string> TTrancoListId::IdFromAnswer(std::string_view answer) {
  const std::string_view id = TrimBlanks(answer);
  if (!IsId(id)) return std::nullopt;
  return std::string(id);
}

std::string TTrancoListId::DateOf(std::int64_t seconds) {
  const auto time = static_cast<std::time_t>(seconds);
  std::tm day{};
  char text[32];
  if (!gmtime_r(&time, &day) || std::strftime(text, sizeof text, "%Y-%m-%d", &day) != 10) return {};
  return text;
}

std::optional<TTrancoListId> TTrancoListId::Parse(std::string_view text) {
  if (text.size() > kMaxFileSize) return std::nullopt;
  TTrancoListId id;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = TrimBlanks(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty()) continue;
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos) return std::nullopt;
    const std::string_view key = line.substr(0, blank);
    const std::string_view value = TrimBlanks(line.substr(blank + 1));
    if (key == "id") {
      if (!IsId(value)) return std::nullopt;
      id.Id = value;
    } else if (key == "date") {
      if (!IsDate(value)) return std::nullopt;
      id.Date = value;
    }
  }
  return id;
}

std::string TTrancoListId::Text() const {
  std::string text;
  if (!Id.empty()) text += "id " + Id + "\n";
  if (!Date.empty()) text += "date " + Date + "\n";
  return text;
}

std::optional<TTrancoListId> TTrancoListId::Read(const std::string& listPath, std::string& error) {
  error.clear();
  const std::string path = PathFor(listPath);
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 && errno == ENOENT) return std::nullopt;
  std::string bytes;
  if (!ReadRegularFile(path, kMaxFileSize, bytes, error)) return std::nullopt;
  std::optional<TTrancoListId> id = Parse(bytes);
  if (!id) error = path + " is damaged: not the id and date of a Tranco list; download the list again";
  return id;
}

std::string TTrancoListId::Write(const std::string& listPath) const {
  if ((!Id.empty() && !IsId(Id)) || (!Date.empty() && !IsDate(Date))) {
    return "cannot write " + PathFor(listPath) + ": \"" + Id + "\" \"" + Date + "\" is no list id and date";
  }
  const std::string path = PathFor(listPath);
  const std::string temporary = path + ".part";
  const std::string text = Text();
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) return "cannot write " + temporary + ": " + std::strerror(errno);
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const int writeError = errno;
  if (std::fclose(file) != 0 || !written) {
    const int closeError = written ? errno : writeError;
    std::remove(temporary.c_str());
    return "cannot write " + temporary + ": " + std::strerror(closeError);
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    const int renameError = errno;
    std::remove(temporary.c_str());
    return "cannot write " + path + ": " + std::strerror(renameError);
  }
  return {};
}

std::string TTrancoListId::ListCitation() const {
  std::string text = "Tranco list";
  if (!Date.empty()) text += " generated on " + Date;
  if (!Id.empty()) text += std::string(Date.empty() ? "" : ",") + " available at " + std::string(kListAddress) + Id;
  return text;
}

std::string TTrancoListId::CitationFor(const std::string& listPath) {
  std::string text = std::string(kTrancoPaper) + "; ";
  std::string error;
  if (const std::optional<TTrancoListId> id = Read(listPath, error); id && !(id->Id.empty() && id->Date.empty())) {
    return text + id->ListCitation() + ".";
  }
  struct stat status {};
  if (::stat(listPath.c_str(), &status) == 0) return text + "Tranco list of " + DateOf(status.st_mtime) + ".";
  return text + "Tranco list.";
}

}  // namespace halvane::tables
