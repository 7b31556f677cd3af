#include "tools/harvest/TProgressReport.h"

#include <algorithm>
#include <cstdio>

namespace halvane::harvest {
namespace {

constexpr std::size_t kBarWidth = 20;
constexpr std::chrono::milliseconds kBarInterval{100};
constexpr std::chrono::milliseconds kLineInterval{1000};

}  // namespace

TProgressReport::TProgressReport(std::ostream& out, TStyle style)
    : FOut(out), FStyle(style), FStart(std::chrono::steady_clock::now()) {}

std::string TProgressReport::BarText(std::size_t found, std::size_t judged, std::size_t rows,
                                     std::chrono::seconds elapsed) {
  const std::size_t filled = found == 0 ? 0 : std::min(kBarWidth, judged * kBarWidth / found);
  char clock[32];
  std::snprintf(clock, sizeof clock, "%lld:%02lld", static_cast<long long>(elapsed.count() / 60),
                static_cast<long long>(elapsed.count() % 60));
  return "[" + std::string(filled, '#') + std::string(kBarWidth - filled, '-') + "] " + std::to_string(judged) +
         "/" + std::to_string(found) + " pages judged, " + std::to_string(rows) + (rows == 1 ? " row, " : " rows, ") +
         clock;
}

std::string TProgressReport::TimeLeftText(std::size_t found, std::size_t judged, std::chrono::seconds elapsed) {
  if (judged == 0 || judged >= found) return {};
  const long long left = elapsed.count() * static_cast<long long>(found - judged) / static_cast<long long>(judged);
  char clock[48];
  std::snprintf(clock, sizeof clock, "about %lld:%02lld left", left / 60, left % 60);
  return clock;
}

std::string TProgressReport::FitWidth(const std::string& text, std::size_t width) {
  if (width == 0) return text;
  std::size_t columns = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    // Count lead bytes only: a character's continuation bytes take no column.
    if ((static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) continue;
    if (columns++ == width) return text.substr(0, at);
  }
  return text;
}

void TProgressReport::Keyword(const std::string& keyword, std::size_t index, std::size_t count) {
  FStart = std::chrono::steady_clock::now();
  FFound = FJudged = FRows = 0;
  FDrawnOnce = false;
  if (FStyle == TStyle::Quiet || count < 2) return;
  if (FBarShown) FOut << '\n';
  FBarShown = false;
  FOut << "Keyword " << index + 1 << " of " << count << ": " << keyword << '\n' << std::flush;
}

void TProgressReport::Status(const std::string& text) {
  FStatus = text;
  Draw(false);
}

void TProgressReport::Counts(std::size_t found, std::size_t judged, std::size_t rows) {
  FFound = found;
  FJudged = judged;
  FRows = rows;
  Draw(false);
}

void TProgressReport::Final(const std::string& text) {
  if (FStyle == TStyle::Quiet) return;
  if (FStyle == TStyle::Bar) {
    Draw(true);
    FOut << '\n';
    FBarShown = false;
  }
  FOut << text << '\n' << std::flush;
}

void TProgressReport::Draw(bool force) {
  if (FStyle == TStyle::Quiet) return;
  const auto now = std::chrono::steady_clock::now();
  const auto interval = FStyle == TStyle::Bar ? kBarInterval : kLineInterval;
  if (!force && FDrawnOnce && now - FLastDrawn < interval) return;
  FDrawnOnce = true;
  FLastDrawn = now;
  const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(now - FStart);
  if (FStyle == TStyle::Bar) {
    // Back to the line's start, clear it, redraw.
    std::string line = BarText(FFound, FJudged, FRows, elapsed);
    if (const std::string left = TimeLeftText(FFound, FJudged, elapsed); !left.empty()) line += ", " + left;
    // One column short of the width: a full line would wrap on some terminals.
    FOut << "\r\033[K" << FitWidth(line + "  " + FStatus, FWidth > 0 ? FWidth - 1 : 0) << std::flush;
    FBarShown = true;
  } else {
    FOut << FStatus << " (" << FJudged << "/" << FFound << " pages judged, " << FRows << " rows, "
         << elapsed.count() << " s)\n"
         << std::flush;
  }
}

}  // namespace halvane::harvest
