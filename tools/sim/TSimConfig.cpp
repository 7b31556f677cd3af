#include "TSimConfig.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "SimText.h"

namespace halvane::sim {
namespace {

constexpr std::uint64_t kMaxSites = 250;  // 127.0.0.2 .. 127.0.0.251
constexpr std::uint64_t kMaxPagesPerSite = 100000;

[[noreturn]] void Fail(int line, const std::string& why) {
  throw std::runtime_error("config line " + std::to_string(line) + ": " + why);
}

std::uint64_t Number(std::string_view value, std::uint64_t min, std::uint64_t max, int line) {
  const auto n = ParseDecimal(value, max);
  if (!n || *n < min) {
    Fail(line, "expected a number from " + std::to_string(min) + " to " + std::to_string(max));
  }
  return *n;
}

std::vector<std::string> Words(std::string_view text) {
  std::vector<std::string> words;
  std::istringstream in{std::string(text)};
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// "id | title | date | body"; the body keeps any further "|".
TNewsItem NewsItem(std::string_view value, int line) {
  std::vector<std::string> fields;
  std::size_t at = 0;
  for (int i = 0; i < 3; ++i) {
    const std::size_t bar = value.find('|', at);
    if (bar == std::string_view::npos) Fail(line, "a news item is: id | title | date | body");
    fields.emplace_back(TrimControl(value.substr(at, bar - at)));
    at = bar + 1;
  }
  fields.emplace_back(TrimControl(value.substr(at)));
  TNewsItem item;
  item.id = static_cast<std::uint32_t>(Number(fields[0], 0, 0xFFFFFFFFu, line));
  item.title = fields[1];
  item.date = fields[2];
  item.body = fields[3];
  // The reply format cannot carry its own separators inside a field.
  for (const std::string* f : {&item.title, &item.date}) {
    if (f->find('^') != std::string::npos || f->find('\xAF') != std::string::npos) {
      Fail(line, "a news title or date cannot hold ^ or byte 0xAF");
    }
  }
  return item;
}

}  // namespace

TSimConfig DefaultSimConfig() {
  TSimConfig c;
  c.newsItems = {
      {101, "Welcome to Halvane", "2026-11-02",
       "<h2>Welcome</h2><p>Thank you for choosing Halvane. Type a keyword, pick a depth and "
       "press <b>Search</b> to find blogs that welcome your comments.</p>"},
      {102, "Five tips for better comments", "2026-11-20",
       "<h2>Five tips</h2><p>Read the post first, say something useful, and link with an "
       "honest anchor such as \"My Shop\". Costs: $0.</p>"},
      {103, "Version 2.20 is out", "2026-12-01",
       "<h2>Version 2.20</h2><p>Faster harvesting, CSV export and a new caf\xE9 skin.</p>"},
  };
  return c;
}

TSimConfig ParseSimConfig(std::string_view text) {
  TSimConfig c = DefaultSimConfig();
  bool ownNews = false;
  int lineNo = 0;
  for (const std::string_view raw : SplitAt(text, '\n')) {
    ++lineNo;
    const std::string_view line = TrimControl(raw);
    if (line.empty() || line.front() == '#') continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) Fail(lineNo, "expected key = value");
    const std::string key(TrimControl(line.substr(0, eq)));
    const std::string_view value = TrimControl(line.substr(eq + 1));

    if (key == "sites") {
      c.sites = static_cast<int>(Number(value, 1, kMaxSites, lineNo));
    } else if (key == "pages-per-site") {
      c.pagesPerSite = static_cast<int>(Number(value, 1, kMaxPagesPerSite, lineNo));
    } else if (key == "seed") {
      c.seed = static_cast<std::uint32_t>(Number(value, 0, 0xFFFFFFFFu, lineNo));
    } else if (key == "user-domain") {
      c.userDomain = ToLowerAscii(value);
    } else if (key == "image-search-host") {
      if (value.find('.') == std::string_view::npos) Fail(lineNo, "the host needs a top-level domain");
      c.imageSearchHost = ToLowerAscii(value);
    } else if (key == "news.user") {
      c.newsUser = value;
    } else if (key == "news.product") {
      c.newsProduct = value;
    } else if (key == "news.types") {
      c.newsTypes = Words(value);
    } else if (key == "news.item") {
      if (!ownNews) c.newsItems.clear();
      ownNews = true;
      c.newsItems.push_back(NewsItem(value, lineNo));
    } else if (key == "news.none") {
      // An explicit empty news list.
      c.newsItems.clear();
      ownNews = true;
    } else if (key == "news.reply") {
      c.newsReply = value;
    } else if (key == "update.version") {
      c.publishedVersion = value;
    } else if (key == "keyword") {
      const std::size_t blank = value.find(' ');
      if (blank == std::string_view::npos) Fail(lineNo, "expected keyword = <pages> <keyword>");
      const auto pages = static_cast<int>(Number(value.substr(0, blank), 0, 10, lineNo));
      c.keywordPages[std::string(value.substr(blank + 1))] = pages;
    } else if (key == "robots") {
      std::string error;
      auto entry = ParseRobotsEntry(value, &error);
      if (!entry) Fail(lineNo, error);
      c.robots.push_back(std::move(*entry));
    } else if (key == "searxng.json") {
      if (value != "on" && value != "off") Fail(lineNo, "expected searxng.json = on or off");
      c.searxngJson = value == "on";
    } else if (key == "searxng.failing") {
      c.searxngFailing.emplace_back(value);
    } else if (key == "live.pages") {
      if (value != "classic" && value != "modern") Fail(lineNo, "expected live.pages = classic or modern");
      c.liveModernPages = value == "modern";
    } else if (key == "brave.key") {
      c.braveKey = value;
    } else if (key == "openpagerank.key") {
      c.openPageRankKey = value;
    } else if (key == "fault") {
      if (Words(value).size() < 2) Fail(lineNo, "expected fault = <match> <faults>");
      c.faultRules.emplace_back(value);
    } else {
      Fail(lineNo, "unknown key " + key);
    }
  }
  return c;
}

TSimConfig LoadSimConfig(const std::string& path) {
  // A folder opens like a file and reads as nothing, which would pass for
  // an empty configuration.
  std::error_code error;
  if (std::filesystem::exists(path, error) && !std::filesystem::is_regular_file(path, error)) {
    throw std::runtime_error(path + " is not a file");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw std::runtime_error("cannot read " + path);
  return ParseSimConfig(text.str());
}

}  // namespace halvane::sim
