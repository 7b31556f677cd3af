#pragma once
// Runs its action when it goes out of scope, however the scope is left.
#include <utility>

namespace halvane {

template <class TAction>
class TScopeExit {
 public:
  explicit TScopeExit(TAction action) : FAction(std::move(action)) {}
  ~TScopeExit() { FAction(); }
  TScopeExit(const TScopeExit&) = delete;
  TScopeExit& operator=(const TScopeExit&) = delete;

 private:
  TAction FAction;
};

}  // namespace halvane
