#include "TRobotsFiles.h"

#include "SimText.h"

namespace halvane::sim {

void TRobotsFiles::Set(const std::string& site, TRobotsFile file) {
  const std::lock_guard lock(FMutex);
  FFiles[site] = std::move(file);
}

void TRobotsFiles::Clear() {
  const std::lock_guard lock(FMutex);
  FFiles.clear();
}

TRobotsFile TRobotsFiles::Answer(const std::string& ip) const {
  const std::lock_guard lock(FMutex);
  auto it = FFiles.find(ip);
  if (it == FFiles.end()) it = FFiles.find("*");
  return it == FFiles.end() ? TRobotsFile{} : it->second;
}

std::string TRobotsFiles::List() const {
  const std::lock_guard lock(FMutex);
  std::string out;
  for (const auto& [site, file] : FFiles) {
    out += site + ' ' + std::to_string(file.Status) + ' ' + std::to_string(file.Body.size()) + '\n';
  }
  return out;
}

std::optional<std::pair<std::string, TRobotsFile>> ParseRobotsEntry(std::string_view text, std::string* error) {
  const std::size_t blank = text.find(' ');
  const std::string site(text.substr(0, blank));
  const bool siteOk = site == "*" || (site.rfind("127.0.0.", 0) == 0 && ParseDecimal(site.substr(8), 255));
  if (!siteOk) {
    *error = "expected * or a site address 127.0.0.N, not \"" + site + "\"";
    return std::nullopt;
  }
  const std::string_view rest = blank == std::string_view::npos ? std::string_view{} : text.substr(blank + 1);
  const std::size_t blank2 = rest.find(' ');
  const auto status = ParseDecimal(rest.substr(0, blank2), 599);
  if (!status || *status < 100) {
    *error = "expected a status 100..599 after the site";
    return std::nullopt;
  }
  TRobotsFile file;
  file.Status = static_cast<int>(*status);
  if (blank2 != std::string_view::npos) {
    const std::string_view body = rest.substr(blank2 + 1);
    for (std::size_t i = 0; i < body.size(); ++i) {
      if (body[i] == '\\' && i + 1 < body.size() && (body[i + 1] == 'n' || body[i + 1] == '\\')) {
        file.Body.push_back(body[++i] == 'n' ? '\n' : '\\');
      } else {
        file.Body.push_back(body[i]);
      }
    }
  }
  return std::make_pair(site, std::move(file));
}

}  // namespace halvane::sim
