// Open PageRank over the live client against the simulated web: batches of
// at most 100, each domain asked once, figures matched by name.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>

#include "tools/sim/TOpenPageRankService.h"
#include "tests/support/TSimSuite.h"
#include "tools/sim/TSimWeb.h"
#include "sources/TOpenPageRank.h"

namespace halvane::sources {
namespace {

using namespace std::chrono_literals;

constexpr char kSmall[] = HALVANE_TEST_DATA "/sim/small.conf";

struct TFigure {
  std::optional<int> Authority;
  std::string Error;
  int Calls = 0;
};

// Collects the handler's calls and waits for a number of domains.
class TCollector {
 public:
  TOpenPageRank::THandler Handler() {
    return [this](const std::string& domain, std::optional<int> authority, const std::string& error) {
      const std::lock_guard lock(FMutex);
      TFigure& f = FFigures[domain];
      f.Authority = authority;
      f.Error = error;
      ++f.Calls;
      FChanged.notify_all();
    };
  }
  std::map<std::string, TFigure> WaitFor(std::size_t domains) {
    std::unique_lock lock(FMutex);
    EXPECT_TRUE(FChanged.wait_for(lock, 60s, [&] { return FFigures.size() >= domains; })) << FFigures.size();
    return FFigures;
  }

 private:
  std::mutex FMutex;
  std::condition_variable FChanged;
  std::map<std::string, TFigure> FFigures;
};

class OpenPageRank : public test::TSimSuite<kSmall> {
 protected:
  static std::string Url() { return ServiceUrl() + "/v1/domains/bulk"; }
  static live::TNetworkSettings Settings() {
    live::TNetworkSettings s;
    s.HostDelayMs = 0;
    s.PerHost = 4;
    return s;
  }

  live::TLiveClient FClient{Settings()};
};

TEST_F(OpenPageRank, EveryDomainOnceInBatchesMatchedByName) {
  TCollector collector;
  TOpenPageRank authority(FClient, Url(), "sim-opr-key", collector.Handler());
  std::vector<std::string> domains;
  // 150 names: two calls (the service refuses more than 100 at once).
  for (int i = 0; i < 150; ++i) {
    const std::string name = "d" + std::to_string(i) + ".example";
    EXPECT_EQ(authority.Request("https://www." + name + "/post/" + std::to_string(i)), name);
    domains.push_back(name);
  }
  for (int site = 0; site < Web().SiteCount(); ++site) {
    EXPECT_EQ(authority.Request("http://" + Web().SiteHost(site) + "/blog/x/"), sim::TSimWeb::SiteIp(site));
    domains.push_back(sim::TSimWeb::SiteIp(site));
  }
  EXPECT_EQ(authority.Request("http://blog.unknown-name.org/"), "unknown-name.org");
  domains.push_back("unknown-name.org");
  // Asked again, before and after the flush: no second call for them.
  authority.Request("http://D7.example/other");
  authority.Flush();
  authority.Request("http://127.0.0.2:1/elsewhere");
  authority.Flush();

  const std::map<std::string, TFigure> got = collector.WaitFor(domains.size());
  const sim::TOpenPageRankService service(Web());
  int known = 0;
  for (const std::string& d : domains) {
    ASSERT_TRUE(got.contains(d)) << d;
    const TFigure& f = got.at(d);
    EXPECT_EQ(f.Calls, 1) << d;
    EXPECT_EQ(f.Error, "") << d;
    EXPECT_EQ(f.Authority, service.ShownAuthority(d)) << d;
    known += f.Authority.has_value();
  }
  EXPECT_EQ(got.size(), domains.size());
  EXPECT_GT(known, 100);
  EXPECT_EQ(got.at("unknown-name.org").Authority, std::nullopt);
}

TEST_F(OpenPageRank, OverTls) {
  live::TNetworkSettings settings = Settings();
  settings.CaFile = Sim().CaFile();
  live::TLiveClient tls(settings);
  TCollector collector;
  TOpenPageRank authority(tls, Sim().HttpsServiceUrl() + "/v1/domains/bulk", "sim-opr-key", collector.Handler());
  authority.Request("http://" + Web().SiteHost(0) + "/blog/");
  authority.Request("https://www.example.com/");
  authority.Flush();
  const std::map<std::string, TFigure> got = collector.WaitFor(2);
  const sim::TOpenPageRankService service(Web());
  for (const auto& [domain, f] : got) {
    EXPECT_EQ(f.Error, "") << domain;
    EXPECT_EQ(f.Authority, service.ShownAuthority(domain)) << domain;
  }
}

TEST_F(OpenPageRank, ARefusedKeyReachesEveryDomainOfTheCall) {
  TCollector collector;
  TOpenPageRank authority(FClient, Url(), "wrong", collector.Handler());
  authority.Request("http://a.example/");
  authority.Request("http://b.example/");
  authority.Flush();
  const std::map<std::string, TFigure> got = collector.WaitFor(2);
  for (const auto& [domain, f] : got) {
    EXPECT_EQ(f.Authority, std::nullopt);
    EXPECT_EQ(f.Error, "Open PageRank at 127.0.0.1:" + std::to_string(Sim().Port()) +
                           " refused the API key (HTTP 401: Invalid API key); check openpagerank-key");
  }
}

TEST_F(OpenPageRank, ATimedOutCallIsMadeOnceMore) {
  // Each call may take a second here; the first answer takes three.
  ASSERT_TRUE(Sim().SetFaults("/v1/domains/bulk head-delay:3000,count:1\n"));
  TCollector collector;
  TOpenPageRank authority(FClient, Url(), "sim-opr-key", collector.Handler(), 1);
  const std::string site = authority.Request("http://" + Web().SiteHost(0) + "/blog/");
  authority.Flush();
  const std::map<std::string, TFigure> got = collector.WaitFor(1);
  EXPECT_EQ(got.at(site).Error, "");
  EXPECT_EQ(got.at(site).Authority, sim::TOpenPageRankService(Web()).ShownAuthority(site));
}

TEST_F(OpenPageRank, TwoTimeOutsAndTheColumnGivesUp) {
  ASSERT_TRUE(Sim().SetFaults("/v1/domains/bulk head-delay:3000\n"));
  TCollector collector;
  TOpenPageRank authority(FClient, Url(), "sim-opr-key", collector.Handler(), 1);
  authority.Request("http://a.example/");
  authority.Flush();
  const std::string error = collector.WaitFor(1).at("a.example").Error;
  EXPECT_NE(error.find("timed out after 1 s"), std::string::npos) << error;
  // No further call: a domain asked later gets the same error, though the
  // service would answer it now.
  Sim().ClearFaults();
  authority.Request("http://" + Web().SiteHost(0) + "/blog/");
  authority.Flush();
  const std::map<std::string, TFigure> got = collector.WaitFor(2);
  EXPECT_EQ(got.at(sim::TSimWeb::SiteIp(0)).Error, error);
  EXPECT_EQ(got.at(sim::TSimWeb::SiteIp(0)).Authority, std::nullopt);
}

TEST_F(OpenPageRank, NoHandlerAfterStop) {
  ASSERT_TRUE(Sim().SetFaults("/v1/domains/bulk head-delay:2000\n"));
  TCollector collector;
  {
    TOpenPageRank authority(FClient, Url(), "sim-opr-key", collector.Handler());
    authority.Request("http://a.example/");
    authority.Flush();
    std::this_thread::sleep_for(100ms);
    authority.Stop();
    authority.Request("http://c.example/");
    authority.Flush();
    std::this_thread::sleep_for(200ms);
  }
  Sim().ClearFaults();
  EXPECT_TRUE(collector.WaitFor(0).empty());
}

}  // namespace
}  // namespace halvane::sources
