#include "livesetup/TLinkRecheck.h"

#include "store/TStoreError.h"

namespace halvane::livesetup {

TLinkRecheck::TLinkRecheck(liverun::TPageFetcher& pages, store::TStore& store, std::string domain,
                           TLinkRecheckListener& listener)
    : FPages(pages), FStore(store), FDomain(std::move(domain)), FListener(listener) {}

TLinkRecheck::~TLinkRecheck() {
  Stop();
  Wait();
}

void TLinkRecheck::Start() {
  if (FThread.joinable()) return;
  FThread = std::thread([this] { Work(); });
}

void TLinkRecheck::Stop() {
  {
    std::lock_guard lock(FLock);
    FStopRequested = true;
  }
  FChanged.notify_all();
}

void TLinkRecheck::Wait() {
  if (FThread.joinable()) FThread.join();
}

void TLinkRecheck::Work() {
  TLinkRecheckSummary summary;
  summary.StoreLocation = FStore.Location();
  std::vector<store::TUserLink> links;
  try {
    links = FStore.Links();
  } catch (const store::TStoreError& failure) {
    summary.StoreError = failure.what();
    Finish({}, summary);
    return;
  }
  summary.Pages = links.size();
  {
    std::lock_guard lock(FLock);
    summary.Stopped = FStopRequested;
    FChecks.assign(links.size(), store::TLinkCheck{});
  }
  if (links.empty() || summary.Stopped) {
    Finish({}, summary);
    return;
  }

  FListener.Progress(0, links.size());
  for (std::size_t i = 0; i < links.size(); ++i) {
    FPages.Fetch(links[i].Address, [this, i, address = links[i].Address](live::TLiveResponse response) {
      Answer(i, CheckLinkOnPage(response, address, FDomain));
    });
  }
  if (!WaitForAnswers(links.size())) {
    summary.Stopped = true;
    Finish({}, summary);
    return;
  }

  // Every fetch has answered: nothing writes FChecks any more.
  std::vector<TRecheckLine> lines;
  try {
    for (std::size_t i = 0; i < links.size(); ++i) {
      TRecheckLine line{links[i].Address, FChecks[i], std::nullopt};
      line.Previous = FStore.RecordLinkCheck(line.Address, line.Check);
      ++summary.Counts[static_cast<std::size_t>(line.Check.State)];
      lines.push_back(std::move(line));
    }
  } catch (const store::TStoreError& failure) {
    summary.StoreError = failure.what();
  }
  Finish(lines, summary);
}

bool TLinkRecheck::WaitForAnswers(std::size_t total) {
  std::size_t reported = 0;
  bool aborting = false;
  std::unique_lock lock(FLock);
  while (reported < total) {
    FChanged.wait(lock, [&] { return FAnswered != reported || (FStopRequested && !aborting); });
    const bool abort = FStopRequested && !aborting;
    aborting = aborting || abort;
    reported = FAnswered;
    lock.unlock();
    // Outside the lock: aborted fetches answer at once, maybe on this thread.
    if (abort) FPages.AbortAll();
    if (!aborting) FListener.Progress(reported, total);
    lock.lock();
  }
  return !aborting;
}

void TLinkRecheck::Answer(std::size_t index, store::TLinkCheck check) {
  // Notified under the lock: once the last answer is in, this object may be
  // gone as soon as the lock is released.
  std::lock_guard lock(FLock);
  FChecks[index] = std::move(check);
  ++FAnswered;
  FChanged.notify_all();
}

void TLinkRecheck::Finish(const std::vector<TRecheckLine>& lines, const TLinkRecheckSummary& summary) {
  FListener.Finished(lines, summary);
}

}  // namespace halvane::livesetup
