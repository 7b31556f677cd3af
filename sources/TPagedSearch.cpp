#include "sources/TPagedSearch.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <utility>

#include "live/RetryAfter.h"
#include "sources/ServiceErrors.h"
#include "sources/TCallbackGate.h"
#include "sources/TLiveHarvest.h"

namespace halvane::sources {

// Shared with the completion handlers, which may outlive the back end.
struct TPagedSearch::TRun {
  TRun(live::TLiveClient& client, TPageProtocol protocol, std::string query, std::size_t max,
       TProgressHandler progress, TDoneHandler done)
      : Client(client),
        Protocol(std::move(protocol)),
        Query(std::move(query)),
        Harvest(Protocol.EngineUrl, max),
        Progress(std::move(progress)),
        Done(std::move(done)),
        EndBy(Protocol.Now() + Protocol.Deadline) {}

  live::TLiveClient& Client;
  const TPageProtocol Protocol;
  const std::string Query;
  TLiveHarvest Harvest;
  const TProgressHandler Progress;
  const TDoneHandler Done;
  TCallbackGate Gate;
  std::mutex IdMutex;
  live::TRequestId Current = 0;
  std::size_t Reported = 0;  // addresses handed to Progress so far
  const TPageProtocol::TClock::time_point EndBy;  // the deadline

  // Runs inside the gate.
  void Ask(const std::shared_ptr<TRun>& self, int pageIndex) {
    if (Progress) {
      const std::vector<std::string>& found = Harvest.Addresses();
      std::vector<std::string> fresh(found.begin() + static_cast<std::ptrdiff_t>(Reported), found.end());
      Reported = found.size();
      Progress({Protocol.Engine, pageIndex + 1, Harvest.Size(), std::move(fresh)});
    }
    if (Gate.Closed()) return;  // stopped from the progress handler
    if (Late()) return Finish(DeadlineText());
    // The lock spans Submit, so Stop sees this request's id or none.
    const std::lock_guard lock(IdMutex);
    live::TLiveRequest request = WithinDeadline(Protocol.Request(Query, pageIndex));
    Current = Client.Submit(std::move(request), [self, pageIndex](live::TLiveResponse response) {
      self->Gate.Run([&] { self->Answered(self, pageIndex, response); });
    });
  }

  void Answered(const std::shared_ptr<TRun>& self, int pageIndex, const live::TLiveResponse& response) {
    const TSearchPage page = Protocol.Parse(response);
    const std::size_t added = page.Error.empty() ? Harvest.Add(page.Urls) : 0;
    // An attempt cut short by the deadline fails: the deadline is the reason.
    if (!page.Error.empty()) return Finish(Late() ? DeadlineText() : page.Error + Hint(response.Error));
    const bool last = Harvest.Full() || !page.MoreAvailable || page.Urls.empty() || added == 0 ||
                      pageIndex + 1 >= Protocol.MaxPages;
    if (last) return Finish({});
    Ask(self, pageIndex + 1);
  }

  bool Late() const { return Protocol.Now() >= EndBy; }

  // What the user can check when the service gave no answer at all.
  std::string Hint(live::TLiveError error) const {
    switch (error) {
      case live::TLiveError::Resolve:
      case live::TLiveError::Connect:
        return Protocol.AddressKey.empty() ? std::string()
                                           : "; check [search] " + Protocol.AddressKey + " in the sources file";
      case live::TLiveError::Tls:
        return "; if its certificate comes from a CA of your own, name that CA in [network] ca-file of the "
               "sources file";
      default:
        return {};
    }
  }

  std::string DeadlineText() const {
    const auto seconds = static_cast<long>(Protocol.Deadline.count());
    return Protocol.Engine + " search ended at its deadline of " + WaitInWords(seconds) +
           " ([search] deadline in the sources file), keeping the " + std::to_string(Harvest.Size()) +
           " addresses found";
  }

  // request, its attempts and waits cut to the time left.
  live::TLiveRequest WithinDeadline(live::TLiveRequest request) const {
    const auto left = std::chrono::ceil<std::chrono::seconds>(EndBy - Protocol.Now()).count();
    const long timeout = request.TimeoutSeconds > 0 ? request.TimeoutSeconds : Client.Settings().TimeoutSeconds;
    request.TimeoutSeconds = static_cast<int>(std::clamp<long>(left, 1, timeout));
    request.RetryWait = [rule = std::move(request.RetryWait), now = Protocol.Now, endBy = EndBy](
                            const live::TLiveResponse& response, int attempt) -> std::optional<long> {
      const std::optional<long> wait = rule ? rule(response, attempt) : live::RetryWaitSeconds(response, attempt);
      if (wait && now() + std::chrono::seconds(*wait) >= endBy) return std::nullopt;
      return wait;
    };
    return request;
  }

  void Finish(std::string problem) {
    Gate.Close();  // exactly once: no later answer reaches Done
    if (Done) Done({Harvest.Addresses(), std::move(problem)});
  }
};

TPagedSearch::TPagedSearch(live::TLiveClient& client, TPageProtocol protocol)
    : FClient(client), FProtocol(std::move(protocol)) {}

TPagedSearch::~TPagedSearch() { Stop(); }

std::string TPagedSearch::Name() const { return FProtocol.Engine; }

void TPagedSearch::Start(std::string queryText, std::size_t maxAddresses, TProgressHandler progress,
                         TDoneHandler done) {
  const auto run = std::make_shared<TRun>(FClient, FProtocol, std::move(queryText), maxAddresses,
                                          std::move(progress), std::move(done));
  std::shared_ptr<TRun> previous;
  {
    const std::lock_guard lock(FRunMutex);
    previous = std::exchange(FRun, run);
  }
  // The harvest under way ends here: none of its handlers runs after this.
  if (previous) End(*previous);
  run->Gate.Run([&] {
    if (maxAddresses == 0) return run->Finish({});
    run->Ask(run, 0);
  });
}

void TPagedSearch::Stop() {
  std::shared_ptr<TRun> run;
  {
    const std::lock_guard lock(FRunMutex);
    run = FRun;
  }
  if (run) End(*run);
}

void TPagedSearch::End(TRun& run) {
  run.Gate.Close();
  live::TRequestId id = 0;
  {
    const std::lock_guard lock(run.IdMutex);
    id = run.Current;
  }
  if (id != 0) FClient.Abort(id);
}

}  // namespace halvane::sources
