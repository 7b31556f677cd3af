// The live client's politeness: total and per-host limits and the host delay
// (measured by the servers), retries of 429 and 503, proxies in rotation.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "tests/live/LiveTestSupport.h"
#include "tests/support/TTestServer.h"

namespace halvane::live::test {

using halvane::test::TTestServer;
namespace {

using TClock = std::chrono::steady_clock;

// Counts the requests a server is answering at once, and when each arrived.
struct TLoadLog {
  std::atomic<int> Now{0};
  std::atomic<int> Most{0};
  std::mutex Mutex;
  std::vector<TClock::time_point> Arrivals;

  void Serve(TTestServer& server, int holdMs, std::atomic<int>* total = nullptr, std::atomic<int>* totalMost = nullptr) {
    server.Routes().Get("/slow", [=, this](const httplib::Request&, httplib::Response& res) {
      {
        std::lock_guard lock(Mutex);
        Arrivals.push_back(TClock::now());
      }
      const int here = ++Now;
      int seen = Most.load();
      while (here > seen && !Most.compare_exchange_weak(seen, here)) {}
      if (total) {
        const int all = ++*total;
        int most = totalMost->load();
        while (all > most && !totalMost->compare_exchange_weak(most, all)) {}
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(holdMs));
      if (total) --*total;
      --Now;
      res.set_content("ok", "text/plain");
    });
  }
};

TEST(LiveClientLimitsTest, KeepsThePerHostAndTotalLimits) {
  TTestServer a("127.0.0.1"), b("127.0.0.2"), c("127.0.0.3");
  TLoadLog logA, logB, logC;
  std::atomic<int> total{0}, totalMost{0};
  logA.Serve(a, 80, &total, &totalMost);
  logB.Serve(b, 80, &total, &totalMost);
  logC.Serve(c, 80, &total, &totalMost);
  TNetworkSettings settings = QuickSettings();
  settings.Parallel = 3;
  settings.PerHost = 2;
  TLiveClient client(settings);
  TAnswers answers;
  for (TTestServer* server : {&a, &b, &c}) {  // host by host: the oldest requests are all one host's
    for (int i = 0; i < 6; ++i) answers.Submit(client, Request(server->Url("/slow")));
  }
  for (const TLiveResponse& r : answers.Wait(18)) EXPECT_TRUE(r.Succeeded()) << r.Message;
  EXPECT_LE(logA.Most.load(), 2);
  EXPECT_LE(logB.Most.load(), 2);
  EXPECT_LE(logC.Most.load(), 2);
  EXPECT_EQ(totalMost.load(), 3);  // the total limit is used, and not exceeded
}

TEST(LiveClientLimitsTest, OneAtATimePerHostButHostsSideBySide) {
  TTestServer a("127.0.0.1"), b("127.0.0.2");
  TLoadLog logA, logB;
  std::atomic<int> total{0}, totalMost{0};
  logA.Serve(a, 80, &total, &totalMost);
  logB.Serve(b, 80, &total, &totalMost);
  TLiveClient client(QuickSettings());  // parallel 4, per host 1
  TAnswers answers;
  for (int i = 0; i < 4; ++i) {
    answers.Submit(client, Request(a.Url("/slow")));
    answers.Submit(client, Request(b.Url("/slow")));
  }
  answers.Wait(8);
  EXPECT_EQ(logA.Most.load(), 1);
  EXPECT_EQ(logB.Most.load(), 1);
  EXPECT_EQ(totalMost.load(), 2);
}

TEST(LiveClientLimitsTest, WaitsTheHostDelayBetweenTwoStarts) {
  TTestServer a("127.0.0.1"), b("127.0.0.2");
  TLoadLog logA, logB;
  logA.Serve(a, 0);
  logB.Serve(b, 0);
  TNetworkSettings settings = QuickSettings();
  settings.HostDelayMs = 300;
  TLiveClient client(settings);
  TAnswers answers;
  for (int i = 0; i < 3; ++i) {
    answers.Submit(client, Request(a.Url("/slow")));
    answers.Submit(client, Request(b.Url("/slow")));
  }
  answers.Wait(6);
  for (TLoadLog* log : {&logA, &logB}) {
    ASSERT_EQ(log->Arrivals.size(), 3u);
    for (std::size_t i = 1; i < 3; ++i) {
      // Arrival at the server trails the start by connection set-up, which a
      // loaded machine can stretch: a third of the delay as slack. Without
      // the delay the gap is one short exchange.
      EXPECT_GE(log->Arrivals[i] - log->Arrivals[i - 1], std::chrono::milliseconds(200));
    }
  }
  // The delay is per host: the other host was served in between.
  EXPECT_LT(logB.Arrivals[0], logA.Arrivals[1]);
}

TEST(LiveClientLimitsTest, RetriesTooManyRequestsAndUnavailableTwice) {
  TTestServer server;
  std::atomic<int> once{0}, always{0}, far{0}, broken{0};
  server.Routes().Get("/once", [&](const httplib::Request&, httplib::Response& res) {
    if (once++ == 0) {
      res.status = 429;
      res.set_header("Retry-After", "1");
      return;
    }
    res.set_content("finally", "text/plain");
  });
  server.Routes().Get("/always", [&](const httplib::Request&, httplib::Response& res) {
    ++always;
    res.status = 429;
    res.set_header("Retry-After", "1");
  });
  server.Routes().Get("/far", [&](const httplib::Request&, httplib::Response& res) {
    ++far;
    res.status = 503;
    res.set_header("Retry-After", "120");
  });
  server.Routes().Get("/broken", [&](const httplib::Request&, httplib::Response& res) {
    ++broken;
    res.status = 500;
  });
  TLiveClient client(QuickSettings());
  const TLiveResponse a = Get(client, server.Url("/once"));
  EXPECT_TRUE(a.Succeeded()) << a.Message;
  EXPECT_EQ(a.Body, "finally");
  EXPECT_EQ(once.load(), 2);
  const TLiveResponse b = Get(client, server.Url("/always"));
  EXPECT_EQ(b.Status, 429);
  EXPECT_EQ(b.Message, "HTTP 429, retry after 1 s");
  EXPECT_EQ(always.load(), 3);
  const TLiveResponse c = Get(client, server.Url("/far"));
  EXPECT_EQ(c.Message, "HTTP 503, retry after 120 s");
  EXPECT_EQ(far.load(), 1);
  const TLiveResponse d = Get(client, server.Url("/broken"));
  EXPECT_EQ(d.Status, 500);
  EXPECT_EQ(broken.load(), 1);
}

TEST(LiveClientLimitsTest, ARetryWaitsWithoutHoldingASlot) {
  TTestServer limited("127.0.0.1"), other("127.0.0.2");
  std::atomic<int> hits{0};
  limited.Routes().Get("/limited", [&](const httplib::Request&, httplib::Response& res) {
    if (hits++ == 0) {
      res.status = 429;
      res.set_header("Retry-After", "1");
      return;
    }
    res.set_content("late", "text/plain");
  });
  other.Routes().Get("/quick", [](const httplib::Request&, httplib::Response& res) { res.set_content("quick", "text/plain"); });
  TNetworkSettings settings = QuickSettings();
  settings.Parallel = 1;
  TLiveClient client(settings);
  TAnswers answers;
  answers.Submit(client, Request(limited.Url("/limited")));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the 429 is in
  answers.Submit(client, Request(other.Url("/quick")));
  const auto got = answers.Wait(2);
  EXPECT_EQ(got[0].Body, "quick");
  EXPECT_EQ(got[1].Body, "late");
}

// A forward proxy for plain http: takes "GET http://host:port/path", asks
// the origin and answers with its body, marked with the proxy's name.
void ServeProxy(TTestServer& proxy, const std::string& name, std::atomic<int>& hits) {
  proxy.Routes().Get(".*", [&hits, name](const httplib::Request& req, httplib::Response& res) {
    ++hits;
    const std::string& target = req.target;
    const auto slash = target.find('/', target.find("://") + 3);
    if (target.rfind("http://", 0) != 0 || slash == std::string::npos) {
      res.status = 400;
      return;
    }
    httplib::Client origin(target.substr(0, slash));
    if (auto answer = origin.Get(target.substr(slash))) {
      res.status = answer->status;
      res.set_content(answer->body + " via " + name, "text/plain");
    } else {
      res.status = 502;
    }
  });
}

TEST(LiveClientLimitsTest, UsesProxiesInRotationAndNamesAFailingOne) {
  TTestServer origin("127.0.0.3"), first("127.0.0.1"), second("127.0.0.2");
  origin.Routes().Get("/page", [](const httplib::Request&, httplib::Response& res) { res.set_content("page", "text/plain"); });
  std::atomic<int> firstHits{0}, secondHits{0};
  ServeProxy(first, "first", firstHits);
  ServeProxy(second, "second", secondHits);
  const std::string firstAddress = "http://127.0.0.1:" + std::to_string(first.Port());
  const std::string secondAddress = "http://127.0.0.2:" + std::to_string(second.Port());
  TNetworkSettings settings = QuickSettings();
  settings.Proxies = {firstAddress, secondAddress};
  TLiveClient client(settings);
  for (int i = 0; i < 4; ++i) {
    const TLiveResponse r = Get(client, origin.Url("/page"));
    ASSERT_TRUE(r.Succeeded()) << r.Message;
    EXPECT_EQ(r.Proxy, i % 2 == 0 ? firstAddress : secondAddress);
    EXPECT_EQ(r.Body, i % 2 == 0 ? "page via first" : "page via second");
  }
  EXPECT_EQ(firstHits.load(), 2);
  EXPECT_EQ(secondHits.load(), 2);

  int deadPort = 0;
  {
    TTestServer closed;
    deadPort = closed.Port();
  }
  const std::string dead = "http://127.0.0.1:" + std::to_string(deadPort);
  settings.Proxies = {dead};
  TLiveClient failing(settings);
  const TLiveResponse r = Get(failing, origin.Url("/page"));
  EXPECT_EQ(r.Error, TLiveError::Proxy);
  EXPECT_EQ(r.Proxy, dead);
  EXPECT_EQ(r.Message, "proxy " + dead + " failed: could not connect to it");
}

}  // namespace
}  // namespace halvane::live::test
