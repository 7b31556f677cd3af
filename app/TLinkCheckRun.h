#pragma once
// The window's re-check of the user's links: opens the parts and the store
// off the interface thread (a table or a PostgreSQL store may take seconds),
// runs one livesetup::TLinkRecheck and shows its reports, handed over as
// queued calls, through a TLinkCheckRun::TView. Nothing here waits for the
// check or pumps events.
//
// Threads: everything public, and every TView call, on the interface
// thread. The makers run on a thread of this object; the re-check's
// reports arrive on its thread and are queued to this object's thread
// (dropped once it is gone).
#include <QObject>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "liverun/TLiveRunParts.h"
#include "livesetup/TLinkRecheck.h"
#include "store/TStore.h"

namespace halvane {

class TLinkCheckRun : public QObject, private livesetup::TLinkRecheckListener {
  Q_OBJECT

 public:
  using TPartsMaker = std::function<std::unique_ptr<liverun::TLiveRunParts>(std::string& error)>;
  // Nothing with error empty: the store is off.
  using TStoreOpener = std::function<std::unique_ptr<store::TStore>(std::string& error)>;

  class TView {
   public:
    virtual ~TView() = default;
    // Before the pages answer: what is being done.
    virtual void ShowLinkCheckStatus(const std::string& text) = 0;
    virtual void ShowLinkCheckProgress(std::size_t done, std::size_t total) = 0;
    // The check is over; text says how (SummaryText) or why it failed.
    virtual void LinkCheckEnded(const std::vector<livesetup::TRecheckLine>& lines, const std::string& text) = 0;
  };

  TLinkCheckRun(TPartsMaker makeParts, TStoreOpener openStore, std::string domain, TView& view,
                QObject* parent = nullptr);
  // Stops a check under way and waits for its threads (an open under way
  // is waited for).
  ~TLinkCheckRun() override;

  // Once; Stop before the parts are made ends with nothing fetched.
  void Start();
  void Stop();
  bool Active() const { return FActive; }

  // "12 pages checked: ...", the store's error, what to do without links,
  // or that it was stopped.
  static std::string SummaryText(const livesetup::TLinkRecheckSummary& summary);

 private:
  void Ready(std::unique_ptr<liverun::TLiveRunParts> parts, std::unique_ptr<store::TStore> store,
             const std::string& error);
  void End(const std::vector<livesetup::TRecheckLine>& lines, const std::string& text);

  // TLinkRecheckListener, on the re-check's thread: queued on.
  void Progress(std::size_t done, std::size_t total) override;
  void Finished(const std::vector<livesetup::TRecheckLine>& lines,
                const livesetup::TLinkRecheckSummary& summary) override;

  TPartsMaker FMakeParts;
  TStoreOpener FOpenStore;
  const std::string FDomain;
  TView& FView;
  std::thread FPreparing;
  std::unique_ptr<liverun::TLiveRunParts> FParts;
  std::unique_ptr<store::TStore> FStore;
  std::unique_ptr<livesetup::TLinkRecheck> FRecheck;
  bool FStarted = false;
  bool FActive = false;
  bool FStopRequested = false;
};

}  // namespace halvane
