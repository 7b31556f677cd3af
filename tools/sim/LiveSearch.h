#pragma once
// The result list the simulated live search engines (SearXNG-style and
// Brave-style) serve for a keyword: the same blog posts the classic engine
// lists, in the same order, each once. The services cut it into pages; the
// model predicts what a live harvest of them keeps.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "TSimWeb.h"

namespace halvane::sim {

enum class TLiveEngine { Searxng, Brave };

// Every distinct page of the keyword's classic result pages, in order: the
// classic address, or with live.pages = modern the modern one
// ("http://127.0.0.x:PORT/2007/04/garden-17/", TModernBlog).
std::vector<std::string> LiveResultAddresses(const TSimWeb& web, std::string_view keyword);

// SearXNG-style page pageNo (from 1): a window of 17 to 25 addresses that
// repeats the last 3 of the page before; empty past the end, and from page 2
// on for a keyword whose engines fail (searxng.failing).
std::vector<std::string> SearxngPage(const TSimWeb& web, std::string_view keyword, int pageNo);
// Whether the configuration makes every engine fail for keyword after page 1.
bool SearxngEnginesFail(const TSimWeb& web, std::string_view keyword);
// What a SearXNG-style answer lists for such a page: the page with noise a
// harvest must drop (a link on the engine's own host, the first address again
// in capitals, a magnet link, and "" for a result without an address).
std::vector<std::string> WithSearxngNoise(const TSimWeb& web, std::string_view keyword, int pageNo,
                                          const std::vector<std::string>& page);
// Brave-style page at offset (0..9): 20 addresses; whether more follow.
std::vector<std::string> BravePage(const TSimWeb& web, std::string_view keyword, int offset, bool* more);

// The addresses a live harvest of maxAddresses keeps, in order: http(s),
// none on the engine's host, each once without regard to case, page after
// page until a page adds nothing, the engine has no more, or the limit.
std::vector<std::string> ExpectedLiveHarvest(const TSimWeb& web, TLiveEngine engine, std::string_view keyword,
                                             std::size_t maxAddresses);

}  // namespace halvane::sim
