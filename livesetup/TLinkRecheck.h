#pragma once
// Fetches every page of the store's user links again, says for each whether
// the user's link is still there and followed, and records the results in
// the store once every page has answered (all or, when stopped, none).
//
// Threads: Start, Stop and the destructor are called from one thread, the
// owner's. Start runs the work on a thread of this object: it reads and
// writes the store, which the owner must not use until Finished. The
// fetcher's threads only post answers to this object's mailbox. Listener
// calls come on this object's thread (see TLinkRecheckListener); the object
// must not be destroyed from inside one of them.
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/TMailbox.h"
#include "liverun/TPageFetcher.h"
#include "livesetup/TLinkRecheckListener.h"
#include "store/TStore.h"

namespace halvane::livesetup {

class TLinkRecheck {
 public:
  // domain: the user's site, whose links are looked for. pages fetches as
  // many at once as its client allows; Stop aborts all of its fetches, so
  // it must not serve anything else meanwhile.
  TLinkRecheck(liverun::TPageFetcher& pages, store::TStore& store, std::string domain,
               TLinkRecheckListener& listener);
  // Stops a check under way and waits for its thread.
  ~TLinkRecheck();
  TLinkRecheck(const TLinkRecheck&) = delete;
  TLinkRecheck& operator=(const TLinkRecheck&) = delete;

  // Once.
  void Start();
  // The fetches are aborted and the check finishes with Stopped, nothing
  // recorded; too late once recording began. Returns at once.
  void Stop();
  // Until Finished was called (joins the thread).
  void Wait();

 private:
  void Work();
  // Takes every answer from the mailbox; false when stopped.
  bool WaitForAnswers(std::size_t total);
  void Finish(const std::vector<TRecheckLine>& lines, const TLinkRecheckSummary& summary);

  liverun::TPageFetcher& FPages;
  store::TStore& FStore;
  const std::string FDomain;
  TLinkRecheckListener& FListener;
  // Answers and Stop come here; shared with the fetches' handlers, so a
  // late post after the check has gone finds it closed.
  const std::shared_ptr<TMailbox> FMailbox = std::make_shared<TMailbox>();
  std::atomic<bool> FStopRequested{false};
  std::thread FThread;

  // This object's thread only.
  std::vector<store::TLinkCheck> FChecks;  // by link
  std::size_t FAnswered = 0;
  bool FAborting = false;
};

}  // namespace halvane::livesetup
