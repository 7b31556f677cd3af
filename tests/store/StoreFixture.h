#pragma once
// The fixture of the store's typed suite: a new, empty store per case on the
// back end under test, opened with a clock the case sets.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "store/OpenStore.h"
#include "tests/store/StoreBackends.h"

namespace halvane::store::test {

template <class TBackend>
class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!TBackend::Available()) GTEST_SKIP() << TBackend::Unavailable();
    FLocation = FBackend.NewStore();
  }

  std::unique_ptr<TStore> Open() {
    TStoreOptions options;
    options.Clock = [this] { return FNow; };
    return OpenStore(FLocation, options);
  }

  TTime FNow = 1'700'000'000;
  TBackend FBackend;
  std::string FLocation;
};

using TBackends = ::testing::Types<TSqliteBackend, TPgBackend>;

struct TBackendNames {
  template <class T>
  static std::string GetName(int) {
    return T::kName;
  }
};

// A verdict for a page that got a row, every figure known.
inline TVerdictRecord RowVerdict(const std::string& address) {
  TVerdictRecord verdict;
  verdict.Address = address;
  verdict.FinalAddress = address;
  verdict.Host = "blog.example";
  verdict.CommentsOpen = true;
  verdict.CommentLinks = TCommentLinks::Followed;
  verdict.HasYourLink = false;
  verdict.Authority = 4;
  verdict.TrafficRank = 12345;
  return verdict;
}

}  // namespace halvane::store::test
