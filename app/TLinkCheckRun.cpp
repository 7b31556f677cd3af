#include "app/TLinkCheckRun.h"

#include <QMetaObject>

namespace halvane {

TLinkCheckRun::TLinkCheckRun(TPartsMaker makeParts, TStoreOpener openStore, std::string domain, TView& view,
                             QObject* parent)
    : QObject(parent), FMakeParts(std::move(makeParts)), FOpenStore(std::move(openStore)),
      FDomain(std::move(domain)), FView(view) {}

TLinkCheckRun::~TLinkCheckRun() {
  FRecheck.reset();  // stops it and waits for its thread
  if (FPreparing.joinable()) FPreparing.join();
}

void TLinkCheckRun::Start() {
  if (FStarted) return;
  FStarted = true;
  FActive = true;
  FView.ShowLinkCheckStatus("Opening the store...");
  FPreparing = std::thread([this] {
    std::string error;
    std::unique_ptr<store::TStore> store = FOpenStore(error);
    std::unique_ptr<liverun::TLiveRunParts> parts;
    if (store) parts = FMakeParts(error);
    if (!parts) store.reset();  // the connection goes on this thread, not the window's
    // Queued with this object as context: dropped if it is gone.
    auto made = std::make_shared<std::pair<std::unique_ptr<liverun::TLiveRunParts>, std::unique_ptr<store::TStore>>>(
        std::move(parts), std::move(store));
    QMetaObject::invokeMethod(
        this, [this, made, error] { Ready(std::move(made->first), std::move(made->second), error); },
        Qt::QueuedConnection);
  });
}

void TLinkCheckRun::Ready(std::unique_ptr<liverun::TLiveRunParts> parts, std::unique_ptr<store::TStore> store,
                          const std::string& error) {
  if (FPreparing.joinable()) FPreparing.join();
  if (!store && error.empty()) {
    End({}, "The store is off ([store] use = no in the sources file): it keeps the links to check");
    return;
  }
  if (!parts || !parts->Pages || !store) {
    End({}, error.empty() ? std::string("The pages cannot be fetched: no page fetcher") : error);
    return;
  }
  FParts = std::move(parts);
  FStore = std::move(store);
  if (FStopRequested) {
    livesetup::TLinkRecheckSummary stopped;
    stopped.Stopped = true;
    End({}, SummaryText(stopped));
    return;
  }
  FView.ShowLinkCheckStatus("Reading the links in " + FStore->Location() + "...");
  FRecheck = std::make_unique<livesetup::TLinkRecheck>(*FParts->Pages, *FStore, FDomain,
                                                       static_cast<livesetup::TLinkRecheckListener&>(*this));
  FRecheck->Start();
}

void TLinkCheckRun::Stop() {
  if (!FActive) return;
  FStopRequested = true;
  if (FRecheck) FRecheck->Stop();
}

void TLinkCheckRun::End(const std::vector<livesetup::TRecheckLine>& lines, const std::string& text) {
  FActive = false;
  FView.LinkCheckEnded(lines, text);
}

void TLinkCheckRun::Progress(std::size_t done, std::size_t total) {
  QMetaObject::invokeMethod(
      this, [this, done, total] { if (FActive) FView.ShowLinkCheckProgress(done, total); },
      Qt::QueuedConnection);
}

void TLinkCheckRun::Finished(const std::vector<livesetup::TRecheckLine>& lines,
                             const livesetup::TLinkRecheckSummary& summary) {
  QMetaObject::invokeMethod(
      this,
      [this, lines, summary] {
        // Its thread made its last call: joining it takes no time.
        if (FRecheck) FRecheck->Wait();
        End(lines, SummaryText(summary));
      },
      Qt::QueuedConnection);
}

std::string TLinkCheckRun::SummaryText(const livesetup::TLinkRecheckSummary& summary) {
  if (!summary.StoreError.empty()) return summary.StoreError;
  if (summary.Stopped) return "Stopped; nothing recorded";
  if (summary.NoLinks()) {
    return "No links recorded in " + summary.StoreLocation +
           "; right-click a page you commented on and choose \"I commented here\"";
  }
  return livesetup::RecheckCountsText(summary);
}

}  // namespace halvane
