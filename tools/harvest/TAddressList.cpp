#include "tools/harvest/TAddressList.h"

namespace halvane::harvest {

void TAddressList::Start(std::string, std::size_t, TProgressHandler, TDoneHandler done) {
  liverun::TSearchOutcome outcome;
  outcome.Addresses = FAddresses;
  done(std::move(outcome));
}

}  // namespace halvane::harvest
