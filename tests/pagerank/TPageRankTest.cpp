#include "pagerank/TPageRank.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "script/ChecksumScript.h"

namespace halvane {
namespace {

// The main thread's event queue as the tests run it: workers post, the test
// thread drains.
class TMainQueue {
 public:
  TMainThreadPost Poster() {
    return [this](std::function<void()> call) {
      std::lock_guard<std::mutex> guard(Lock);
      Calls.push_back(std::move(call));
      Posted.notify_all();
    };
  }

  // Runs queued calls until count of them have run (waiting for workers).
  bool Drain(int count) {
    for (int done = 0; done < count; ++done) {
      std::function<void()> call;
      {
        std::unique_lock<std::mutex> guard(Lock);
        if (!Posted.wait_for(guard, std::chrono::seconds(10), [this] { return !Calls.empty(); })) return false;
        call = std::move(Calls.front());
        Calls.pop_front();
      }
      call();
    }
    return true;
  }

 private:
  std::mutex Lock;
  std::condition_variable Posted;
  std::deque<std::function<void()>> Calls;
};

constexpr const char* kHost = "rank.example:8080";

TUrlChecksum Fixed(std::uint32_t value) {
  return [value](std::string_view, bool) { return value; };
}

TEST(TPageRank, QueryUrlCarriesTheUnsignedChecksumAfterTheSix) {
  TMainQueue queue;
  TPageRank a(kHost, queue.Poster(), Fixed(1234567));
  EXPECT_EQ(a.BuildQueryUrl("www.example.com/x?a=b c", false),
            "http://rank.example:8080/search?client=navclient-auto&ch=61234567"
            "&ie=UTF-8&features=Rank&q=info:www.example.com/x?a=b c");
  TPageRank b(kHost, queue.Poster(), Fixed(0xFFFFFFFFu));
  EXPECT_NE(b.BuildQueryUrl("p", false).find("&ch=64294967295&"), std::string::npos);
  b.SetServiceHost("other");
  EXPECT_EQ(b.BuildQueryUrl("p", false).rfind("http://other/search?", 0), 0u);
}

TEST(TPageRank, ChecksumComesFromTheScriptWithTheVariantFlag) {
  TMainQueue queue;
  TPageRank rank(kHost, queue.Poster());
  LoadChecksumScript();
  EXPECT_NE(rank.BuildQueryUrl("", false).find("&ch=62316959404&"), std::string::npos);
  EXPECT_NE(rank.BuildQueryUrl("", true).find("&ch=6882688726&"), std::string::npos);
  ReleaseChecksumScript();
  EXPECT_NE(rank.BuildQueryUrl("www.example.com/", false).find("&ch=60&"), std::string::npos);
  LoadChecksumScript();
}

TEST(TPageRank, ParseRankReplyReadsTwoFieldsAfterRank1) {
  EXPECT_EQ(TPageRank::ParseRankReply("Rank_1:1:4"), 260);
  EXPECT_EQ(TPageRank::ParseRankReply("Rank_1:1:x"), 256);
  EXPECT_EQ(TPageRank::ParseRankReply("Rank_1:1:"), -1);
  EXPECT_EQ(TPageRank::ParseRankReply("Rank_1:1"), -1);
  EXPECT_EQ(TPageRank::ParseRankReply("Rank_1"), -1);
  EXPECT_EQ(TPageRank::ParseRankReply("Rank_1:300:7"), 11271);
  EXPECT_EQ(TPageRank::ParseRankReply("noise Rank_0:9:9\nRank_1:2:5\n"), 517);
  EXPECT_EQ(TPageRank::ParseRankReply("Rank_1:abc:3"), 3);
  EXPECT_EQ(TPageRank::ParseRankReply("Rank_1:1:99999999999"), 256);  // too large: 0
  EXPECT_EQ(TPageRank::ParseRankReply(""), -1);
  EXPECT_EQ(TPageRank::ParseRankReply("rank_1:1:4"), -1);
}

struct TCountingHandler {
  int Calls = 0;
  std::string LastUrl;
  std::string Answer = "Rank_1:1:4";
  bool Succeed = true;
  TOnGetRank Handler() {
    return [this](const std::string& url, std::string& reply) {
      ++Calls;
      LastUrl = url;
      reply = Answer;
      return Succeed;
    };
  }
};

TEST(TPageRank, EmptyPageNeverQueries) {
  TMainQueue queue;
  TPageRank rank(kHost, queue.Poster(), Fixed(1));
  TCountingHandler handler;
  rank.OnGetRank = handler.Handler();
  rank.Auto = true;
  EXPECT_EQ(rank.Rank(), -1);
  EXPECT_EQ(handler.Calls, 0);
}

TEST(TPageRank, AutoQueriesOnceAndCachesUntilThePageChanges) {
  TMainQueue queue;
  TPageRank rank(kHost, queue.Poster(), Fixed(1));
  TCountingHandler handler;
  rank.OnGetRank = handler.Handler();
  rank.Auto = true;
  rank.SetPage("a.example/");
  EXPECT_EQ(rank.Rank(), 260);
  EXPECT_EQ(rank.Rank(), 260);
  EXPECT_EQ(handler.Calls, 1);
  EXPECT_NE(handler.LastUrl.find("q=info:a.example/"), std::string::npos);
  rank.SetPage("a.example/");
  EXPECT_EQ(rank.ReplyText(), "Rank_1:1:4");
  EXPECT_EQ(rank.Rank(), 260);
  EXPECT_EQ(handler.Calls, 1);
  rank.SetPage("b.example/");
  EXPECT_TRUE(rank.ReplyText().empty());
  handler.Answer = "Rank_1:0:7";
  EXPECT_EQ(rank.Rank(), 7);
  EXPECT_EQ(handler.Calls, 2);
}

TEST(TPageRank, WithoutAutoReadingDoesNotQuery) {
  TMainQueue queue;
  TPageRank rank(kHost, queue.Poster(), Fixed(1));
  TCountingHandler handler;
  rank.OnGetRank = handler.Handler();
  rank.SetPage("a.example/");
  EXPECT_EQ(rank.Rank(), -1);
  EXPECT_EQ(handler.Calls, 0);
  rank.RequestRank();
  EXPECT_EQ(rank.Rank(), 260);
}

TEST(TPageRank, FailedOrMissingHandlerEmptiesTheReply) {
  TMainQueue queue;
  TPageRank rank(kHost, queue.Poster(), Fixed(1));
  TCountingHandler handler;
  rank.OnGetRank = handler.Handler();
  rank.SetPage("a.example/");
  rank.RequestRank();
  ASSERT_EQ(rank.Rank(), 260);
  handler.Succeed = false;
  rank.RequestRank();
  EXPECT_TRUE(rank.ReplyText().empty());
  EXPECT_EQ(rank.Rank(), -1);
  rank.OnGetRank = nullptr;
  rank.RequestRank();
  EXPECT_EQ(rank.Rank(), -1);
}

TEST(TPageRank, NonBlockingQueryRunsOnAWorkerAndCompletesOnTheMainThread) {
  TMainQueue queue;
  TPageRank rank(kHost, queue.Poster(), Fixed(42));
  const auto mainThread = std::this_thread::get_id();
  std::thread::id handlerThread;
  rank.OnGetRank = [&](const std::string& url, std::string& reply) {
    handlerThread = std::this_thread::get_id();
    reply = url.find("ch=642&") != std::string::npos ? "Rank_1:1:3" : "wrong";
    return true;
  };
  rank.NonBlock = true;
  rank.Auto = true;
  rank.SetPage("a.example/");
  EXPECT_EQ(rank.Rank(), -1);  // only started
  EXPECT_NE(rank.CurrentThread(), nullptr);
  ASSERT_TRUE(queue.Drain(1));
  EXPECT_NE(handlerThread, mainThread);
  EXPECT_EQ(rank.CurrentThread(), nullptr);
  EXPECT_EQ(rank.Rank(), 259);
}

TEST(TPageRank, ThreadWithoutHandlerEndsFailed) {
  TMainQueue queue;
  TPageRank rank(kHost, queue.Poster(), Fixed(1));
  rank.NonBlock = true;
  rank.SetPage("a.example/");
  rank.RequestRank();
  ASSERT_TRUE(queue.Drain(1));
  EXPECT_EQ(rank.Rank(), -1);
}

TEST(TPageRank, HandlerExceptionOnTheWorkerFailsTheQuery) {
  TMainQueue queue;
  TPageRank rank(kHost, queue.Poster(), Fixed(1));
  rank.OnGetRank = [](const std::string&, std::string& reply) -> bool {
    reply = "Rank_1:1:1";
    throw std::runtime_error("connection reset");
  };
  rank.NonBlock = true;
  rank.SetPage("a.example/");
  rank.RequestRank();
  ASSERT_TRUE(queue.Drain(1));
  EXPECT_EQ(rank.Rank(), -1);
  // Inline queries leave exceptions to the caller.
  rank.NonBlock = false;
  EXPECT_THROW(rank.RequestRank(), std::runtime_error);
}

TEST(TPageRank, ReplyBelongsToThePageAtRequestTime) {
  TMainQueue queue;
  TPageRank rank(kHost, queue.Poster(), Fixed(1));
  std::string seenUrl;
  rank.OnGetRank = [&](const std::string& url, std::string& reply) {
    seenUrl = url;
    reply = "Rank_1:1:6";
    return true;
  };
  rank.NonBlock = true;
  rank.SetPage("first.example/");
  rank.RequestRank();
  rank.SetPage("second.example/");
  ASSERT_TRUE(queue.Drain(1));
  EXPECT_NE(seenUrl.find("q=info:first.example/"), std::string::npos);
  EXPECT_EQ(rank.Page(), "second.example/");
  EXPECT_EQ(rank.ReplyText(), "Rank_1:1:6");
}

// A handler whose replies for "first" and "second" wait for the test.
class TGatedHandler {
 public:
  TOnGetRank Handler() {
    return [this](const std::string& url, std::string& reply) {
      const bool first = url.find("first") != std::string::npos;
      std::unique_lock<std::mutex> guard(Lock);
      Opened.wait(guard, [&] { return first ? OpenFirst : OpenSecond; });
      reply = first ? "Rank_1:0:1" : "Rank_1:0:2";
      return true;
    };
  }
  void Open(bool first) {
    std::lock_guard<std::mutex> guard(Lock);
    (first ? OpenFirst : OpenSecond) = true;
    Opened.notify_all();
  }

 private:
  std::mutex Lock;
  std::condition_variable Opened;
  bool OpenFirst = false;
  bool OpenSecond = false;
};

// Two non-blocking queries, "first" then "second", both waiting at the gate.
struct TTwoQueries {
  TMainQueue Queue;
  TGatedHandler Gate;
  TPageRank Rank{kHost, Queue.Poster(), Fixed(1)};
  TTwoQueries() {
    Rank.OnGetRank = Gate.Handler();
    Rank.NonBlock = true;
    Rank.SetPage("first.example/");
    Rank.RequestRank();
    Rank.SetPage("second.example/");
    Rank.RequestRank();
  }
};

TEST(TPageRank, OverlappingQueriesInOrderKeepTheNewerReference) {
  TTwoQueries two;
  TMainQueue& queue = two.Queue;
  TGatedHandler& gate = two.Gate;
  TPageRank& rank = two.Rank;
  const TGetRankThread* second = rank.CurrentThread();
  gate.Open(true);
  ASSERT_TRUE(queue.Drain(1));
  EXPECT_EQ(rank.ReplyText(), "Rank_1:0:1");
  EXPECT_EQ(rank.CurrentThread(), second);  // the older completion leaves the newer thread's reference
  gate.Open(false);
  ASSERT_TRUE(queue.Drain(1));
  EXPECT_EQ(rank.ReplyText(), "Rank_1:0:2");
  EXPECT_EQ(rank.CurrentThread(), nullptr);
}

TEST(TPageRank, OverlappingQueriesOutOfOrderEndWithTheNewerReply) {
  TTwoQueries two;
  TMainQueue& queue = two.Queue;
  TGatedHandler& gate = two.Gate;
  TPageRank& rank = two.Rank;
  gate.Open(false);
  ASSERT_TRUE(queue.Drain(1));
  EXPECT_EQ(rank.ReplyText(), "Rank_1:0:2");
  EXPECT_EQ(rank.CurrentThread(), nullptr);
  gate.Open(true);
  ASSERT_TRUE(queue.Drain(1));
  EXPECT_EQ(rank.ReplyText(), "Rank_1:0:2");
  EXPECT_EQ(rank.CurrentThread(), nullptr);
}

TEST(TPageRank, CompletionAfterTheComponentIsGoneIsHarmless) {
  TMainQueue queue;
  {
    TPageRank rank(kHost, queue.Poster(), Fixed(1));
    rank.OnGetRank = [](const std::string&, std::string& reply) {
      reply = "Rank_1:0:1";
      return true;
    };
    rank.NonBlock = true;
    rank.SetPage("a.example/");
    rank.RequestRank();
  }
  EXPECT_TRUE(queue.Drain(1));
}

}  // namespace
}  // namespace halvane
