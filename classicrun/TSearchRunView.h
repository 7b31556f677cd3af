#pragma once
// What a search run needs of the window that shows it: the inputs it reads,
// the status text, the item-count panel, the rows of the results list and
// the interface thread's event loop. The main window implements it; tests
// give a run a recording stand-in.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "search/TResultItem.h"

namespace halvane {

class THarvestedUrls;

class TSearchRunView {
 public:
  virtual ~TSearchRunView() = default;

  // The inputs, read when the run reaches the step that uses them.
  virtual std::string KeywordText() const = 0;
  virtual std::string DomainText() const = 0;
  // 0 for "100 items" ... 9 for "1000 items"; negative harvests nothing.
  virtual int DepthIndex() const = 0;
  // The list the harvest fills and the analysis walks; nullptr once the
  // window has let go of it (it closed from inside the run).
  virtual THarvestedUrls* HarvestList() = 0;

  // Everything below on the interface thread.
  virtual void ShowStatus(std::string_view text) = 0;
  virtual void ShowCount(std::string_view text) = 0;
  // Appends a row and returns its identity, which stays valid while rows
  // are sorted or deleted around it.
  virtual std::uint64_t AddRow(TResultItem item) = 0;
  virtual void SetCell(std::uint64_t row, int column, const std::string& text) = 0;
  virtual std::size_t RowCount() const = 0;

  // Handles pending events and returns.
  virtual void PumpEvents() = 0;
  // Waits until events arrive, at most a few hundredths of a second (so a
  // Stop is seen), and handles them.
  virtual void WaitForEvents() = 0;
  // Runs work on the interface thread in the order posted; at once when
  // called there. Safe from any thread.
  virtual void Post(std::function<void()> work) = 0;
  // Always runs work later from the event loop. Safe from any thread.
  virtual void PostLater(std::function<void()> work) = 0;
};

}  // namespace halvane
