#include "livesetup/LiveRunParts.h"

#include <algorithm>
#include <stdexcept>

#include "live/RegistrableDomain.h"
#include "live/TLiveClient.h"
#include "liverun/ClassicPageJudge.h"
#include "livesetup/TClientPageFetcher.h"
#include "pagetest/PageTest.h"
#include "sources/MakeSearchBackEnd.h"
#include "sources/TOpenPageRankAuthority.h"
#include "sources/TTableAuthority.h"
#include "sources/TTrancoRank.h"
#include "tables/TTableError.h"
#include "tables/TableText.h"

namespace halvane::livesetup {

using liverun::TLiveRunParts;
using liverun::TPageJudge;
using sources::TAuthoritySource;
using sources::TRankingSource;

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
    switch (sources.Authority) {
      case TAuthoritySource::OpenPageRank:
        parts->Authority =
            std::make_unique<sources::TOpenPageRankAuthority>(*client, sources.OpenPageRankUrl, sources.OpenPageRankKey);
        break;
      case TAuthoritySource::Table:
        parts->Authority = std::make_unique<sources::TTableAuthority>(
            tables::TAuthorityTable::Open(sources.AuthorityTable, tables::DefaultCacheDir()));
        break;
      case TAuthoritySource::Classic:
        // The toolbar PageRank service speaks only to the classic run.
        parts->Notes.push_back("Authority shows - : the classic PageRank service is not asked in live mode");
        break;
      case TAuthoritySource::None:
        break;
    }
    switch (sources.Ranking) {
      case TRankingSource::Tranco:
        parts->Ranking = std::make_unique<sources::TTrancoRank>(
            tables::TTrancoList::Open(sources.TrancoFile, tables::DefaultCacheDir()));
        break;
      case TRankingSource::Classic:
        parts->Notes.push_back("Traffic Rank shows - : the classic ranking site is not asked in live mode");
        break;
      case TRankingSource::None:
        break;
    }
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

std::vector<std::string> DescribeSources(const sources::TSources& sources) {
  std::vector<std::string> lines;
  switch (sources.Engine) {
    case sources::TSearchEngine::Searxng: lines.push_back("Search: SearXNG at " + sources.SearxngUrl); break;
    case sources::TSearchEngine::Brave: lines.push_back("Search: Brave Search API"); break;
    case sources::TSearchEngine::Classic: lines.push_back("Search: classic"); break;
  }
  switch (sources.Authority) {
    case TAuthoritySource::OpenPageRank: lines.push_back("Authority: Open PageRank"); break;
    case TAuthoritySource::Table: lines.push_back("Authority: table " + sources.AuthorityTable); break;
    case TAuthoritySource::Classic: lines.push_back("Authority: classic (not asked in live mode)"); break;
    case TAuthoritySource::None: lines.push_back("Authority: none"); break;
  }
  switch (sources.Ranking) {
    case TRankingSource::Tranco: lines.push_back("Traffic rank: Tranco list " + sources.TrancoFile); break;
    case TRankingSource::Classic: lines.push_back("Traffic rank: classic (not asked in live mode)"); break;
    case TRankingSource::None: lines.push_back("Traffic rank: none"); break;
  }
  lines.push_back(sources.PageTest == sources::TPageTest::Modern ? "Pages: modern test" : "Pages: classic test");
  return lines;
}


}  // namespace halvane::livesetup
