#include "livesetup/TLinkRecheck.h"

#include <optional>

#include "store/TStoreError.h"

namespace halvane::livesetup {

TLinkRecheck::TLinkRecheck(liverun::TPageFetcher& pages, store::TStore& store, std::string domain,
                           TLinkRecheckListener& listener)
    : FPages(pages), FStore(store), FDomain(std::move(domain)), FListener(listener) {}

TLinkRecheck::~TLinkRecheck() {
  Stop();
  Wait();
  FMailbox->Close();
}

void TLinkRecheck::Start() {
  if (FThread.joinable()) return;
  FThread = std::thread([this] { Work(); });
}

void TLinkRecheck::Stop() {
  if (FStopRequested.exchange(true)) return;
  // Wakes the thread if it waits for answers; it aborts the fetches itself.
  FMailbox->Post([] {}, true);
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
  summary.Stopped = FStopRequested.load();
  FChecks.assign(links.size(), store::TLinkCheck{});
  if (links.empty() || summary.Stopped) {
    Finish({}, summary);
    return;
  }

  FListener.Progress(0, links.size());
  for (std::size_t i = 0; i < links.size(); ++i) {
    FPages.Fetch(links[i].Address, [this, mailbox = FMailbox, i, address = links[i].Address](
                                       live::TLiveResponse response) {
      // Judged on the fetcher's thread; kept on this object's.
      mailbox->Post([this, i, check = CheckLinkOnPage(response, address, FDomain)]() mutable {
        FChecks[i] = std::move(check);
        ++FAnswered;
      });
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
  while (FAnswered < total) {
    if (std::optional<TMailbox::TMessage> message = FMailbox->Take(std::nullopt)) (*message)();
    if (FStopRequested.load() && !FAborting) {
      FAborting = true;
      // Aborted fetches answer at once, maybe on this thread: they post.
      FPages.AbortAll();
    }
    if (!FAborting && FAnswered != reported) {
      reported = FAnswered;
      FListener.Progress(reported, total);
    }
  }
  return !FAborting;
}

void TLinkRecheck::Finish(const std::vector<TRecheckLine>& lines, const TLinkRecheckSummary& summary) {
  FListener.Finished(lines, summary);
}

}  // namespace halvane::livesetup
