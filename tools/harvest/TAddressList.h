#pragma once
// A search back end that "finds" the addresses it was given: judge --urls
// runs the live run over a list the user already has.
#include <string>
#include <vector>

#include "liverun/TSearchBackEnd.h"

namespace halvane::harvest {

class TAddressList : public liverun::TSearchBackEnd {
 public:
  explicit TAddressList(std::vector<std::string> addresses) : FAddresses(std::move(addresses)) {}

  // Every address at once, whatever the query and the most asked for.
  void Start(std::string queryText, std::size_t maxAddresses, TProgressHandler progress, TDoneHandler done) override;
  void Stop() override {}
  std::string Name() const override { return "your list"; }

 private:
  std::vector<std::string> FAddresses;
};

}  // namespace halvane::harvest
