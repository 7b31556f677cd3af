#include "sources/TOpenPageRankAuthority.h"

#include <utility>

namespace halvane::sources {

TOpenPageRankAuthority::TOpenPageRankAuthority(live::TLiveClient& client, std::string url, std::string key)
    : FClient(client), FUrl(std::move(url)), FKey(std::move(key)), FState(std::make_shared<TState>()) {
  FService = NewService();
}

TOpenPageRankAuthority::~TOpenPageRankAuthority() {
  FState->Gate.Close();
  // No handler runs once the services are stopped; tasks still holding one
  // find it stopped.
  FService->Stop();
  for (const std::shared_ptr<TOpenPageRank>& spent : FSpent) spent->Stop();
}

std::shared_ptr<TOpenPageRank> TOpenPageRankAuthority::NewService() const {
  return std::make_shared<TOpenPageRank>(
      FClient, FUrl, FKey,
      [state = FState](const std::string& domain, std::optional<int> figure, const std::string& error) {
        Answered(*state, domain, figure, error);
      });
}

void TOpenPageRankAuthority::Answered(TState& state, const std::string& domain, std::optional<int> figure,
                                      const std::string& error) {
  if (error.empty()) {
    state.Known[domain] = figure;
  } else {
    state.ServiceSpent = true;
  }
  std::vector<std::pair<TDone, liverun::TAuthorityAnswer>> complete;
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
  state.Gate.Run([&] {
    for (auto& [done, answer] : complete) done(std::move(answer));
  });
}

void TOpenPageRankAuthority::Lookup(std::vector<std::string> domains, TDone done) {
  if (FState->Gate.Closed()) return;
  if (FState->ServiceSpent.exchange(false)) {
    // The spent service keeps answering the calls it has out (a domain asked
    // there and here gets whichever answer comes first).
    FSpent.push_back(std::exchange(FService, NewService()));
  }
  FClient.Post([state = FState, service = FService, domains = std::move(domains), done = std::move(done)]() mutable {
    Ask(*state, *service, domains, std::move(done));
  });
}

void TOpenPageRankAuthority::Ask(TState& state, TOpenPageRank& service, const std::vector<std::string>& domains,
                                 TDone done) {
  TBatch batch;
  std::vector<std::string> ask;
  for (const std::string& domain : domains) {
    if (const auto known = state.Known.find(domain); known != state.Known.end()) {
      batch.Answer.Figures[domain] = known->second;
    } else if (batch.Waiting.insert(domain).second) {
      ask.push_back(domain);
    }
  }
  if (ask.empty()) {
    state.Gate.Run([&] { done(std::move(batch.Answer)); });
    return;
  }
  batch.Done = std::move(done);
  state.Batches.push_back(std::move(batch));
  for (const std::string& domain : ask) {
    // The run asks by registrable domain (or address); the service takes
    // an address and finds the same name in it.
    if (service.Request("http://" + domain + "/").empty()) Answered(state, domain, std::nullopt, "");
  }
  service.Flush();
}

}  // namespace halvane::sources
