#pragma once
// What a live run needs of the window that shows it. Every call comes on
// the interface thread and returns at once.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "liverun/TLiveRunListener.h"
#include "liverun/TLiveResult.h"

namespace halvane {

class TLiveSearchView {
 public:
  virtual ~TLiveSearchView() = default;
  virtual void ShowStatus(std::string_view text) = 0;
  virtual void ShowCount(std::string_view text) = 0;
  // Appends a row; its identity stays valid while rows are sorted or
  // deleted around it.
  virtual std::uint64_t AddLiveRow(const liverun::TLiveResult& result) = 0;
  virtual void UpdateLiveRow(std::uint64_t row, const liverun::TLiveResult& result) = 0;
  virtual std::size_t RowCount() const = 0;
  // A harvested address that gets no row, as soon as it is settled.
  virtual void AddPageWithoutRow(const liverun::TPageOutcome& outcome) = 0;
  // Pages judged of pages found.
  virtual void ShowGauge(std::size_t done, std::size_t total) = 0;
  // The run is over (finished, stopped or failed); the window is idle again.
  virtual void LiveRunEnded(const liverun::TLiveRunSummary& summary) = 0;
};

}  // namespace halvane
