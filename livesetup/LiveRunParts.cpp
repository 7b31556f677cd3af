#include "livesetup/LiveRunParts.h"

#include <algorithm>
#include <stdexcept>

#include "live/RegistrableDomain.h"
#include "live/TLiveClient.h"
#include "liverun/ClassicPageJudge.h"
#include "livesetup/ChosenStore.h"
#include "livesetup/TClientPageFetcher.h"
#include "livesetup/TSessionMemory.h"
#include "pagetest/PageTest.h"
#include "sources/MakeSearchBackEnd.h"
#include "sources/TSourceRegistry.h"
#include "tables/TTableError.h"

namespace halvane::livesetup {

using liverun::TLiveRunParts;
using liverun::TPageJudge;
using sources::TSourceRegistry;

pagetest::TPageVerdict ModernPageJudge(const liverun::TPageInput& page) {
  const std::string host = live::HostOfUrl(page.FinalUrl);
  const std::string site = host.empty() ? std::string() : live::RegistrableDomain(host);
  pagetest::TPageContext context;
  context.UserDomain = page.UserDomain;
  context.PageHost = host;
  context.PageSite = site;
  context.ContentType = page.ContentType;
  return pagetest::TestPage(page.Body, context);
}

std::unique_ptr<TLiveRunParts> MakeLiveRunParts(const sources::TSources& sources, std::string& error) {
  auto parts = std::make_unique<TLiveRunParts>();
  try {
    auto client = std::make_shared<live::TLiveClient>(sources.Network);
    parts->Keep = client;
    parts->Harvest = sources::MakeSearchBackEnd(sources, *client);
    if (!parts->Harvest) throw std::invalid_argument("the classic search engine has no live back end");
    parts->Pages = std::make_unique<TClientPageFetcher>(*client);
    parts->PageSlots = static_cast<std::size_t>(std::max(1, sources.Network.Parallel - 1));
    const sources::TAuthorityEntry& authority = TSourceRegistry::Authority(sources.Authority);
    parts->Authority = authority.Make(sources, *client);
    if (authority.LiveNote) parts->Notes.push_back(authority.LiveNote);
    const sources::TRankingEntry& ranking = TSourceRegistry::Ranking(sources.Ranking);
    parts->Ranking = ranking.Make(sources, *client);
    if (ranking.LiveNote) parts->Notes.push_back(ranking.LiveNote);
  } catch (const tables::TTableError& failure) {
    error = failure.what();
    return nullptr;
  } catch (const std::invalid_argument& failure) {
    error = failure.what();
    return nullptr;
  }
  parts->Judge = sources.PageTest == sources::TPageTest::Modern ? TPageJudge(ModernPageJudge)
                                                                : TPageJudge(liverun::ClassicPageJudge);
  return parts;
}

std::unique_ptr<TLiveRunParts> MakeRememberingRunParts(const sources::TSources& sources, std::string& error) {
  std::unique_ptr<TLiveRunParts> parts = MakeLiveRunParts(sources, error);
  if (!parts) return nullptr;
  std::string storeError;
  std::unique_ptr<store::TStore> store = OpenChosenStore(sources.Store, storeError);
  if (!store) {
    if (!storeError.empty()) parts->Notes.push_back("nothing is remembered: " + storeError);
    return parts;
  }
  // The memory goes with the parts, and the client with it.
  struct THeld {
    std::shared_ptr<void> Client;
    TSessionMemory Memory;
  };
  auto held = std::make_shared<THeld>(THeld{std::move(parts->Keep), TSessionMemory(std::move(store), parts->Harvest->Name())});
  parts->Memory = &held->Memory;
  parts->Keep = std::move(held);
  return parts;
}

std::vector<std::string> DescribeSources(const sources::TSources& sources) {
  std::vector<std::string> lines;
  lines.push_back(TSourceRegistry::Engine(sources.Engine).Describe(sources));
  lines.push_back(TSourceRegistry::Authority(sources.Authority).Describe(sources));
  lines.push_back(TSourceRegistry::Ranking(sources.Ranking).Describe(sources));
  lines.push_back(sources.PageTest == sources::TPageTest::Modern ? "Pages: modern test" : "Pages: classic test");
  return lines;
}

}  // namespace halvane::livesetup
