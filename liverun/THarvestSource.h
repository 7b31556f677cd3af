#pragma once
// Where a live run's addresses come from: a search back end asked for the
// query text, giving ordered distinct addresses.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace halvane::liverun {

struct THarvestResult {
  // Every address in order of discovery (those reported as new first),
  // also when Error is set.
  std::vector<std::string> Addresses;
  std::string Error;  // why the harvest ended early, naming the engine; "" when it did not
};

class THarvestSource {
 public:
  // newAddresses: found since the last report, in order; the run starts on
  // them while the harvest goes on.
  using TProgress = std::function<void(int page, std::size_t found, std::vector<std::string> newAddresses)>;
  using TDone = std::function<void(THarvestResult)>;

  virtual ~THarvestSource() = default;
  // "SearXNG", "Brave": names the engine in status texts.
  virtual std::string Name() const = 0;
  // Callbacks may run on any thread; done runs once, unless Stop came first.
  virtual void Start(std::string query, std::size_t maxAddresses, TProgress progress, TDone done) = 0;
  virtual void Stop() = 0;
};

}  // namespace halvane::liverun
