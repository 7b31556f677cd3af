// Page retrieval over a memory transport: status texts, gauge, Stop, the
// temporary page file, downloads, form posts, and the turn-taking of the
// shared client.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include "tests/classicrun/TRecordingView.h"
#include "classicrun/TPageFetcher.h"
#include "net/EHttpClientError.h"
#include "net/EStreamError.h"
#include "net/TMultipartBody.h"

namespace halvane::test {
namespace {

const std::string kDone = "Process completed sucessfull!";
const std::string kFailed = "Connection error, check if you are connected and url exists.";

// A fetcher over scripted replies that shows through a recording view.
struct TFetcherRig {
  explicit TFetcherRig(std::vector<std::string> replies) {
    auto connector = std::make_unique<TMemoryConnector>();
    Connector = connector.get();
    for (auto& reply : replies) connector->AddReply(std::move(reply));
    Pages = std::make_unique<TPageFetcher>(Folder.Path(), std::make_unique<THttpClient>(std::move(connector)),
                                           View.Hooks(), Stop);
  }
  TTempFolder Folder;
  TRecordingView View;
  std::atomic<bool> Stop{false};
  TMemoryConnector* Connector = nullptr;
  std::unique_ptr<TPageFetcher> Pages;
};

TEST(PageFetcher, PageComesBackAsCrLfLinesWithItsStatusTextsAndNoFileLeft) {
  TFetcherRig rig({HttpReply("one\ntwo"), HttpReply(std::string("abc\0def", 7))});
  std::string text;
  ASSERT_TRUE(rig.Pages->FetchPage("http://a.test/page", text));
  EXPECT_EQ(text, "one\r\ntwo\r\n");
  EXPECT_EQ(rig.View.Statuses, (std::vector<std::string>{"Getting URL: http://a.test/page...", kDone}));
  EXPECT_EQ(rig.View.GaugeMaximum, 7);
  EXPECT_EQ(rig.View.GaugeValue, 7);
  EXPECT_FALSE(rig.Folder.Exists("test.html"));
  ASSERT_TRUE(rig.Pages->FetchPage("http://a.test/nul", text));
  EXPECT_EQ(text, "abc\r\n");
  EXPECT_EQ(rig.Connector->Targets(), (std::vector<std::string>{"a.test:80", "a.test:80"}));
}

TEST(PageFetcher, ErrorStatusOrNoServerIsAConnectionError) {
  TFetcherRig rig({HttpReply("<html>not here</html>", "404 Not Found")});
  std::string text = "old";
  EXPECT_FALSE(rig.Pages->FetchPage("http://a.test/missing", text));
  EXPECT_EQ(text, "");
  EXPECT_EQ(rig.View.Statuses.back(), kFailed);
  // No reply left: the connection is refused.
  EXPECT_FALSE(rig.Pages->FetchPage("http://a.test/none", text));
  EXPECT_EQ(rig.View.Statuses.back(), kFailed);
  EXPECT_FALSE(rig.Folder.Exists("test.html"));
  EXPECT_FALSE(rig.Pages->Fetching());
}

TEST(PageFetcher, StopSetMeansNoRequestNoStatusNoFile) {
  TFetcherRig rig({HttpReply("x")});
  rig.Stop = true;
  std::string text = "old";
  EXPECT_FALSE(rig.Pages->FetchPage("http://a.test/page", text));
  EXPECT_TRUE(rig.View.Statuses.empty());
  EXPECT_TRUE(rig.Connector->Targets().empty());
  EXPECT_FALSE(rig.Folder.Exists("test.html"));
}

TEST(PageFetcher, StopDuringTheTransferEndsItAsAbortedOrFailed) {
  TFetcherRig rig({HttpReply(std::string(200000, 'x'))});
  rig.View.OnPump = [&] { rig.Stop = true; };
  std::string text;
  EXPECT_FALSE(rig.Pages->FetchPage("http://a.test/big", text));
  const std::string last = rig.View.Statuses.back();
  EXPECT_TRUE(last == "Process aborted!" || last == kFailed) << last;
  EXPECT_FALSE(rig.Folder.Exists("test.html"));
}

TEST(PageFetcher, PageFileThatCannotBeCreatedIsRaisedBeforeAnyRequestAndFreesTheClient) {
  TFetcherRig rig({HttpReply("x")});
  std::filesystem::create_directory(rig.Folder.Path() + "test.html");
  std::string text;
  EXPECT_THROW(rig.Pages->FetchPage("http://a.test/x", text), EStreamError);
  EXPECT_TRUE(rig.View.Statuses.empty());
  EXPECT_TRUE(rig.Connector->Targets().empty());
  std::filesystem::remove(rig.Folder.Path() + "test.html");
  EXPECT_TRUE(rig.Pages->FetchPage("http://a.test/x", text));
}

TEST(PageFetcher, DownloadKeepsTheFileOnlyWhenItArrived) {
  TFetcherRig rig({HttpReply("[APPLICATION]\r\nVersion=2.30\r\n"), HttpReply("gone", "404 Not Found")});
  const std::string path = rig.Folder.Path() + "mainappupdate.inf";
  ASSERT_TRUE(rig.Pages->DownloadFile("http://u.test/mainappupdate.inf", path));
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "[APPLICATION]\r\nVersion=2.30\r\n");
  // A failed download drops the copy of an earlier one.
  EXPECT_FALSE(rig.Pages->DownloadFile("http://u.test/mainappupdate.inf", path));
  EXPECT_FALSE(std::filesystem::exists(path));
  // Downloads show no status texts.
  EXPECT_TRUE(rig.View.Statuses.empty());
}

TEST(PageFetcher, FormPostedFromInsideTheClientsOwnExchangeIsRefusedAndTheExchangeGoesOn) {
  TFetcherRig rig({HttpReply(std::string(100000, 'p')), HttpReply("OK")});
  THttpErrorKind refused = THttpErrorKind::Protocol;
  bool tried = false;
  rig.View.OnPump = [&] {
    if (tried || !rig.Pages->Fetching()) return;
    tried = true;
    EXPECT_TRUE(rig.Pages->HeldByThisThread());
    TMultipartBody body;
    body.AddField("id", "1");
    try {
      rig.Pages->PostForm("http://n.test/news.php", body);
    } catch (const EHttpClientError& error) {
      refused = error.Kind();
    }
  };
  std::string text;
  ASSERT_TRUE(rig.Pages->FetchPage("http://a.test/page", text));
  ASSERT_TRUE(tried);
  EXPECT_EQ(refused, THttpErrorKind::Busy);
  EXPECT_EQ(text.size(), 100002u);
  rig.View.OnPump = nullptr;
  TMultipartBody body;
  body.AddField("id", "1");
  EXPECT_EQ(rig.Pages->PostForm("http://n.test/news.php", body), "OK");
  EXPECT_FALSE(rig.Pages->HeldByThisThread());
}

TEST(PageFetcher, ActionWaitingForTheClientStartsFromTheEventLoopAfterTheExchange) {
  TFetcherRig rig({HttpReply(std::string(100000, 'p')), HttpReply("second")});
  std::vector<std::string> order;
  bool asked = false;
  rig.View.OnPump = [&] {
    if (asked || !rig.Pages->Fetching()) return;
    asked = true;
    rig.Pages->WhenClientFree([&] {
      order.push_back("action");
      std::string text;
      EXPECT_TRUE(rig.Pages->FetchPage("http://a.test/second", text));
      EXPECT_EQ(text, "second\r\n");
    });
    order.push_back("asked");
  };
  std::string text;
  ASSERT_TRUE(rig.Pages->FetchPage("http://a.test/first", text));
  rig.View.OnPump = nullptr;
  order.push_back("first returned");
  EXPECT_EQ(rig.View.RunQueued(), 1);
  EXPECT_EQ(order, (std::vector<std::string>{"asked", "first returned", "action"}));

  // With the client free the action runs at once.
  bool ran = false;
  rig.Pages->WhenClientFree([&] { ran = true; });
  EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace halvane::test
