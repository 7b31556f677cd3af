#pragma once
// The robots.txt the blog sites serve: none (404) unless the configuration
// or the control route gives one, per site address or for all ("*"). Safe
// to use from every server thread.
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace halvane::sim {

struct TRobotsFile {
  int Status = 404;
  std::string Body;
};

class TRobotsFiles {
 public:
  // site is "*" or a site address ("127.0.0.3"); status 100..599.
  void Set(const std::string& site, TRobotsFile file);
  void Clear();
  // What the site at ip answers: its own entry, else the "*" entry, else 404.
  TRobotsFile Answer(const std::string& ip) const;
  // One "<site> <status> <body bytes>" line per entry.
  std::string List() const;

 private:
  mutable std::mutex FMutex;
  std::map<std::string, TRobotsFile> FFiles;
};

// Reads "<site> <status>[ <body>]", the body with "\n" for a line break
// and "\\" for a backslash. On failure returns nothing and says why.
std::optional<std::pair<std::string, TRobotsFile>> ParseRobotsEntry(std::string_view text, std::string* error);

}  // namespace halvane::sim
