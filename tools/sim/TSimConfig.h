#pragma once
// What the simulated web looks like. Everything it serves is a function of
// these values (and of the port), so tests can compute exact expectations.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "TNewsItem.h"
#include "TRobotsFiles.h"

namespace halvane::sim {

struct TSimConfig {
  // Blog sites, each on its own loopback address 127.0.0.2, 127.0.0.3, ...
  int sites = 6;
  int pagesPerSite = 200;
  std::uint32_t seed = 2208;

  // The domain some blog pages link to.
  std::string userDomain = "myshop.example";
  // Host of the engine's image search; its links are noise the harvest skips.
  std::string imageSearchHost = "images.sim.test";

  // News identities the server accepts and the items it publishes.
  std::string newsUser = "halvane-demo";
  std::string newsProduct = "HALVANE-DEMO";
  std::vector<std::string> newsTypes{"BM", "BP", "BG"};
  std::vector<TNewsItem> newsItems;
  // When not empty, every news request is answered with this text.
  std::string newsReply;

  // Version published in the update description.
  std::string publishedVersion = "2.20";

  // Result pages for particular keywords (0..10); others get 1..10 drawn
  // from the keyword.
  std::map<std::string, int> keywordPages;

  // The live services: SearXNG-style JSON output on (off: 403), the
  // Brave-style subscription token and the Open PageRank-style bearer key.
  bool searxngJson = true;
  // Keywords whose SearXNG-style pages from the second on come back empty,
  // every engine listed in unresponsive_engines.
  std::vector<std::string> searxngFailing;
  std::string braveKey = "sim-brave-key";
  std::string openPageRankKey = "sim-opr-key";
  // The live search services list the posts at their modern addresses
  // (TModernBlog) instead of the classic "/blog/..." ones.
  bool liveModernPages = false;

  // Fault rules active from the start, each "<match> <faults>".
  std::vector<std::string> faultRules;

  // robots.txt answers of the blog sites by address ("*": all others).
  std::vector<std::pair<std::string, TRobotsFile>> robots;
};

// The configuration used without a file: a good demo.
TSimConfig DefaultSimConfig();

// Reads "key = value" lines over the defaults ("#" starts a comment line).
// Throws std::runtime_error naming the line for an unknown key or a bad value.
TSimConfig ParseSimConfig(std::string_view text);
TSimConfig LoadSimConfig(const std::string& path);

}  // namespace halvane::sim
