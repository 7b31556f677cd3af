#pragma once
// What a live run (modern page test) against the simulated web must list,
// derived from the model alone.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "TExpectedLiveRow.h"
#include "TSimWeb.h"

namespace halvane::sim {

// The figures of the live sources for a blog site, as cells: the Open
// PageRank stand-in's authority and the Tranco stand-in's rank, each "-"
// when the source leaves the site out. Unset: "-" (source "none").
struct TLiveFigures {
  std::function<std::string(int site)> authority;
  std::function<std::string(int site)> trafficRank;
};

// The figures of the simulated services: the Open PageRank stand-in's
// rounded figure for the site's address and the Tranco stand-in's rank.
TLiveFigures SimulatedFigures(const TSimWeb& web);

// The row for one harvested address, or nothing when the page gets none
// (not a page of the web, not WordPress, every comment link nofollow).
// Modern posts ("http(s)://127.0.0.x:PORT/2007/04/garden-17/") are judged by
// their modern markup, classic ones (".../blog/...") by theirs. For https
// addresses any port is taken (the web knows only its plain port). The
// user's domain is trimmed and compared without regard to case.
std::optional<TExpectedLiveRow> ExpectedLiveRow(const TSimWeb& web, std::string_view address,
                                                std::string_view userDomain, const TLiveFigures& figures);

// The rows of a live run over the harvested addresses, in harvest order.
std::vector<TExpectedLiveRow> ExpectedLiveRows(const TSimWeb& web, const std::vector<std::string>& harvest,
                                               std::string_view userDomain, const TLiveFigures& figures);

// The text content of anchor markup as the page test reads it: tags dropped,
// character references decoded, white space runs made one blank, trimmed;
// "-" when nothing is left.
std::string AnchorText(std::string_view markup);

}  // namespace halvane::sim
