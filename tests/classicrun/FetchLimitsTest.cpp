// The limits of page retrieval by kind of exchange: the update description
// and the news requests end on a silent or trickling server and on a body
// past their cap; search pages are only capped in size.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>

#include "tests/classicrun/TRecordingView.h"
#include "tests/support/TScriptedServer.h"
#include "classicrun/TPageFetcher.h"
#include "net/EHttpClientError.h"
#include "net/TMultipartBody.h"

namespace halvane::test {
namespace {

using test::TScriptedServer;

// Runs call, which must end by itself; a call that hangs is cut (and the
// test fails) so that the test ends.
template <typename F>
auto Bounded(TPageFetcher& pages, F&& call) {
  auto result = std::async(std::launch::async, std::forward<F>(call));
  if (result.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
    ADD_FAILURE() << "the exchange did not end by itself";
    while (result.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready) pages.Disconnect();
  }
  return result.get();
}

TFetchLimits ShortLimits() {
  TFetchLimits limits;
  limits.Update.IdleMs = limits.News.IdleMs = 300;
  limits.Update.TotalMs = limits.News.TotalMs = 1500;
  return limits;
}

TEST(FetchLimits, UpdateDescriptionFromASilentServerIsNoUpdate) {
  TScriptedServer server;
  server.NextConnection().Expect().Silence();
  server.NextConnection().Expect().Drip("HTTP/1.1 200 OK\r\nContent-Length: 300\r\n\r\n" + std::string(300, 'v'), 100);
  TTempFolder folder;
  TRecordingView view;
  std::atomic<bool> stop{false};
  TPageFetcher pages(folder.Path(), std::make_unique<THttpClient>(), view.Hooks(), stop);
  pages.SetLimits(ShortLimits());
  const std::string path = folder.Path() + "mainappupdate.inf";
  for (const char* what : {"silent", "trickling"}) {
    EXPECT_FALSE(Bounded(pages, [&] { return pages.DownloadFile(server.Url("/mainappupdate.inf"), path); })) << what;
    EXPECT_FALSE(std::filesystem::exists(path)) << what;
  }
}

TEST(FetchLimits, UpdateDescriptionPastItsCapIsNoUpdateAndNoFile) {
  auto connector = std::make_unique<TMemoryConnector>();
  connector->AddReply("HTTP/1.0 200 OK\r\n\r\n[APPLICATION]\r\nVersion=9.99\r\n" + std::string(100000, ';'));
  connector->AddReply(HttpReply("[APPLICATION]\r\nVersion=9.99\r\n" + std::string(60000, ';')));
  TTempFolder folder;
  TRecordingView view;
  std::atomic<bool> stop{false};
  TPageFetcher pages(folder.Path(), std::make_unique<THttpClient>(std::move(connector)), view.Hooks(), stop);
  const std::string path = folder.Path() + "mainappupdate.inf";
  EXPECT_FALSE(pages.DownloadFile("http://u.test/mainappupdate.inf", path));
  EXPECT_FALSE(std::filesystem::exists(path));
  // Within 64 KiB it arrives.
  EXPECT_TRUE(pages.DownloadFile("http://u.test/mainappupdate.inf", path));
  EXPECT_EQ(std::filesystem::file_size(path), 60029u);
}

TEST(FetchLimits, NewsRequestToASilentServerFails) {
  TScriptedServer server;
  server.NextConnection().Expect().Silence();
  TTempFolder folder;
  TRecordingView view;
  std::atomic<bool> stop{false};
  TPageFetcher pages(folder.Path(), std::make_unique<THttpClient>(), view.Hooks(), stop);
  pages.SetLimits(ShortLimits());
  TMultipartBody body;
  body.AddField("cmd", "getlastnews");
  const THttpErrorKind kind = Bounded(pages, [&] {
    try {
      pages.PostForm(server.Url("/news.php"), body);
    } catch (const EHttpClientError& e) {
      return e.Kind();
    }
    return THttpErrorKind::Busy;
  });
  EXPECT_EQ(kind, THttpErrorKind::ReadTimeout);
}

TEST(FetchLimits, PagesAreCappedInSize) {
  TFetchLimits limits;
  limits.Page.MaxBody = 1000;
  auto connector = std::make_unique<TMemoryConnector>();
  connector->AddReply(HttpReply(std::string(1001, 'p')));
  connector->AddReply(HttpReply(std::string(1000, 'p')));
  TTempFolder folder;
  TRecordingView view;
  std::atomic<bool> stop{false};
  TPageFetcher pages(folder.Path(), std::make_unique<THttpClient>(std::move(connector)), view.Hooks(), stop);
  pages.SetLimits(limits);
  std::string text;
  EXPECT_FALSE(pages.FetchPage("http://a.test/big", text));
  EXPECT_TRUE(pages.FetchPage("http://a.test/fits", text));
  // The defaults: a page is capped, the update check and news are limited
  // in time as well, a page is not.
  const TFetchLimits defaults;
  EXPECT_EQ(defaults.Page.IdleMs, -1);
  EXPECT_EQ(defaults.Page.TotalMs, -1);
  EXPECT_EQ(defaults.Update.IdleMs, 30000);
  EXPECT_EQ(defaults.News.IdleMs, 30000);
  EXPECT_EQ(defaults.Update.MaxBody, 65536);
}

}  // namespace
}  // namespace halvane::test
