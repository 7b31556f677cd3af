// The parts a sources file makes, sharing one live client, against the
// simulated web: what a Stop of the pages leaves to the authority calls, and
// what a failed authority call leaves to the next run.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>

#include "livesetup/LiveRunParts.h"
#include "sources/TSourcesFile.h"
#include "tests/support/TLiveSimSetup.h"
#include "tests/support/TSimProcess.h"

namespace {

using namespace halvane;
using halvane::test::TLiveSimSetup;
using halvane::test::TSimProcess;

// A generous safety limit for an answer, not a measurement.
constexpr std::chrono::seconds kNoAnswer{60};

class LiveRunPartsTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    FSim = std::make_unique<TSimProcess>();
    FSetup = std::make_unique<TLiveSimSetup>(*FSim);
  }
  static void TearDownTestSuite() {
    FSetup.reset();
    FSim.reset();
  }
  void SetUp() override {
    std::string error;
    FParts = livesetup::MakeLiveRunParts(sources::TSourcesFile::Read(FSetup->SourcesFile(), true), error);
    ASSERT_TRUE(FParts) << error;
    ASSERT_TRUE(FParts->Authority && FParts->Pages);
  }
  void TearDown() override {
    FParts.reset();
    FSim->ClearFaults();
  }

  std::future<liverun::TAuthorityAnswer> Lookup(const std::string& domain) {
    auto answer = std::make_shared<std::promise<liverun::TAuthorityAnswer>>();
    std::future<liverun::TAuthorityAnswer> future = answer->get_future();
    FParts->Authority->Lookup({domain}, [answer](liverun::TAuthorityAnswer given) { answer->set_value(given); });
    return future;
  }

  static std::unique_ptr<TSimProcess> FSim;
  static std::unique_ptr<TLiveSimSetup> FSetup;
  std::unique_ptr<liverun::TLiveRunParts> FParts;
};

std::unique_ptr<TSimProcess> LiveRunPartsTest::FSim;
std::unique_ptr<TLiveSimSetup> LiveRunPartsTest::FSetup;

TEST_F(LiveRunPartsTest, AbortingThePagesLeavesTheAuthorityCallToAnswer) {
  // Both still out when the pages are aborted.
  ASSERT_TRUE(FSim->SetFaults("/v1/domains/bulk head-delay:1500\n127.0.0.2: head-delay:5000"));
  std::future<liverun::TAuthorityAnswer> authority = Lookup("example.com");
  std::promise<live::TLiveResponse> page;
  FParts->Pages->Fetch("https://127.0.0.2:" + std::to_string(FSim->HttpsPort()) + "/",
                       [&page](live::TLiveResponse response) { page.set_value(std::move(response)); });
  FParts->Pages->AbortAll();

  std::future<live::TLiveResponse> pageDone = page.get_future();
  ASSERT_EQ(pageDone.wait_for(kNoAnswer), std::future_status::ready);
  EXPECT_EQ(pageDone.get().Error, live::TLiveError::Aborted);
  ASSERT_EQ(authority.wait_for(kNoAnswer), std::future_status::ready);
  EXPECT_EQ(authority.get().Error, "");
}

TEST_F(LiveRunPartsTest, AFailedAuthorityCallIsAskedAgainByTheNextLookup) {
  ASSERT_TRUE(FSim->SetFaults("/v1/domains/bulk status:503"));
  std::future<liverun::TAuthorityAnswer> failed = Lookup("example.com");
  ASSERT_EQ(failed.wait_for(kNoAnswer), std::future_status::ready);
  const std::string error = failed.get().Error;
  EXPECT_NE(error.find("Open PageRank"), std::string::npos) << error;

  ASSERT_TRUE(FSim->ClearFaults());
  std::future<liverun::TAuthorityAnswer> again = Lookup("example.com");
  ASSERT_EQ(again.wait_for(kNoAnswer), std::future_status::ready);
  EXPECT_EQ(again.get().Error, "");
  // A figure, once known, is not asked again: the service is down now.
  ASSERT_TRUE(FSim->SetFaults("/v1/domains/bulk status:503"));
  std::future<liverun::TAuthorityAnswer> kept = Lookup("example.com");
  ASSERT_EQ(kept.wait_for(kNoAnswer), std::future_status::ready);
  EXPECT_EQ(kept.get().Error, "");
}

}  // namespace
