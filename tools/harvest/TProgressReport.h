#pragma once
// halvane-harvest's progress on standard error: a bar redrawn in place on a
// terminal, cut to its width, with the time left; plain lines (at most one a
// second) otherwise; nothing when quiet.
//
// Threads: the command's thread only (runs post their reports to it).
#include <chrono>
#include <cstddef>
#include <ostream>
#include <string>

namespace halvane::harvest {

class TProgressReport {
 public:
  enum class TStyle { Bar, Lines, Quiet };
  TProgressReport(std::ostream& out, TStyle style);

  void Keyword(const std::string& keyword, std::size_t index, std::size_t count);
  void Status(const std::string& text);
  void Counts(std::size_t found, std::size_t judged, std::size_t rows);
  // The run's last words: always shown unless quiet.
  void Final(const std::string& text);

  // "[#####-----] 40/212 pages judged, 12 rows, 0:13"
  static std::string BarText(std::size_t found, std::size_t judged, std::size_t rows, std::chrono::seconds elapsed);
  // "about 1:20 left" from the pace so far; "" before the first page is
  // judged or once every page found is.
  static std::string TimeLeftText(std::size_t found, std::size_t judged, std::chrono::seconds elapsed);
  // text cut to at most width columns (a UTF-8 character is never split);
  // width 0: as it is.
  static std::string FitWidth(const std::string& text, std::size_t width);

  // The terminal's width the bar must fit (0: not known, nothing is cut).
  void SetWidth(std::size_t width) { FWidth = width; }

 private:
  void Draw(bool force);
  std::ostream& FOut;
  TStyle FStyle;
  std::chrono::steady_clock::time_point FStart;
  std::chrono::steady_clock::time_point FLastDrawn;
  bool FDrawnOnce = false;
  bool FBarShown = false;
  std::string FStatus;
  std::size_t FFound = 0;
  std::size_t FJudged = 0;
  std::size_t FRows = 0;
  std::size_t FWidth = 0;
};

}  // namespace halvane::harvest
