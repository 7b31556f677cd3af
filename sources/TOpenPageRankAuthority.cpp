#include "sources/TOpenPageRankAuthority.h"

#include <utility>

namespace halvane::sources {

TOpenPageRankAuthority::TOpenPageRankAuthority(live::TLiveClient& client, std::string url, std::string key)
    : FClient(client), FUrl(std::move(url)), FKey(std::move(key)), FState(std::make_shared<TState>()) {
  FService = NewService();
}

TOpenPageRankAuthority::~TOpenPageRankAuthority() {
  // No handler runs once the services are gone.
  FService.reset();
  FSpent.clear();
}

std::unique_ptr<TOpenPageRank> TOpenPageRankAuthority::NewService() const {
  return std::make_unique<TOpenPageRank>(
      FClient, FUrl, FKey,
      [state = FState](const std::string& domain, std::optional<int> figure, const std::string& error) {
        Answered(*state, domain, figure, error);
      });
}

void TOpenPageRankAuthority::Answered(TState& state, const std::string& domain, std::optional<int> figure,
                                      const std::string& error) {
  std::vector<std::pair<TDone, liverun::TAuthorityAnswer>> complete;
  {
    std::lock_guard lock(state.Lock);
    if (error.empty()) {
      state.Known[domain] = figure;
    } else {
      state.ServiceSpent = true;
    }
    for (auto batch = state.Batches.begin(); batch != state.Batches.end();) {
      if (batch->Waiting.erase(domain) > 0) {
        batch->Answer.Figures[domain] = error.empty() ? figure : std::nullopt;
        if (!error.empty()) batch->Answer.Error = error;
      }
      if (batch->Waiting.empty()) {
        complete.emplace_back(std::move(batch->Done), std::move(batch->Answer));
        batch = state.Batches.erase(batch);
      } else {
        ++batch;
      }
    }
  }
  for (auto& [done, answer] : complete) done(std::move(answer));
}

void TOpenPageRankAuthority::Lookup(std::vector<std::string> domains, TDone done) {
  TBatch batch;
  std::vector<std::string> ask;
  bool spent = false;
  {
    std::lock_guard lock(FState->Lock);
    for (const std::string& domain : domains) {
      if (const auto known = FState->Known.find(domain); known != FState->Known.end()) {
        batch.Answer.Figures[domain] = known->second;
      } else if (batch.Waiting.insert(domain).second) {
        ask.push_back(domain);
      }
    }
    if (!batch.Waiting.empty()) {
      batch.Done = std::move(done);
      FState->Batches.push_back(std::move(batch));
      spent = std::exchange(FState->ServiceSpent, false);
    }
  }
  if (ask.empty()) {
    done(std::move(batch.Answer));
    return;
  }
  if (spent) {
    // The spent service keeps answering the calls it has out (a domain asked
    // there and here gets whichever answer comes first).
    FSpent.push_back(std::exchange(FService, NewService()));
  }
  for (const std::string& domain : ask) {
    // The run asks by registrable domain (or address); the service takes
    // an address and finds the same name in it.
    if (FService->Request("http://" + domain + "/").empty()) Answered(*FState, domain, std::nullopt, "");
  }
  FService->Flush();
}

}  // namespace halvane::sources
