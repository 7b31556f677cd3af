#include "app/TLiveSearch.h"

#include <QMetaObject>

#include "search/ResultsList.h"
#include "app/TQueuedRunListener.h"

namespace halvane {

TLiveSearch::TLiveSearch(TPartsMaker makeParts, TLiveSearchView& view, QObject* parent)
    : QObject(parent), FMakeParts(std::move(makeParts)), FView(view),
      FQueued(std::make_unique<TQueuedRunListener>(static_cast<QObject&>(*this),
                                                   static_cast<liverun::TLiveRunListener&>(*this))) {}

TLiveSearch::~TLiveSearch() {
  if (FRun) FRun->Stop();
  FRun.reset();
  if (FPreparing.joinable()) FPreparing.join();
}

void TLiveSearch::Start(liverun::TLiveRunInput input) {
  if (FActive) return;
  FActive = true;
  FStopRequested = false;
  FInput = std::move(input);
  FRowKeys.clear();
  FPagesWithoutRow.clear();
  FJudged = 0;
  if (FParts) {
    Launch();
    return;
  }
  if (FPreparing.joinable()) FPreparing.join();
  FView.ShowStatus("Opening the sources...");
  FPreparing = std::thread([this] {
    std::string error;
    std::unique_ptr<liverun::TLiveRunParts> parts = FMakeParts(error);
    // Queued with this object as context: dropped if it is gone.
    auto ready = std::make_shared<std::unique_ptr<liverun::TLiveRunParts>>(std::move(parts));
    QMetaObject::invokeMethod(
        this, [this, ready, error] { PartsReady(std::move(*ready), error); },
        Qt::QueuedConnection);
  });
}

void TLiveSearch::PartsReady(std::unique_ptr<liverun::TLiveRunParts> parts, const std::string& error) {
  if (FPreparing.joinable()) FPreparing.join();
  if (!parts) {
    liverun::TLiveRunSummary summary;
    summary.SourceError = error;
    End(summary);
    return;
  }
  FParts = std::move(parts);
  if (FStopRequested) {
    liverun::TLiveRunSummary summary;
    summary.Stopped = true;
    End(summary);
    return;
  }
  Launch();
}

void TLiveSearch::Launch() {
  FRun = std::make_unique<liverun::TLiveRun>(*FParts, FInput, *FQueued);
  FRun->Start();
}

void TLiveSearch::Stop() {
  if (!FActive) return;
  FStopRequested = true;
  if (FRun) FRun->Stop();
}

void TLiveSearch::End(const liverun::TLiveRunSummary& summary) {
  FActive = false;
  FView.ShowStatus(liverun::SummaryText(summary));
  FView.ShowCount(ItemsListedText(FView.RowCount()));
  FView.LiveRunEnded(summary);
}

void TLiveSearch::RowAdded(std::size_t row, const liverun::TLiveResult& result) {
  if (FRowKeys.size() <= row) FRowKeys.resize(row + 1);
  FRowKeys[row] = FView.AddLiveRow(result);
  FView.ShowCount(ItemsFoundText(FView.RowCount(), FJudged));
}

void TLiveSearch::ResultChanged(std::size_t row, const liverun::TLiveResult& result) {
  if (row < FRowKeys.size()) FView.UpdateLiveRow(FRowKeys[row], result);
}

void TLiveSearch::PageSettled(const liverun::TPageOutcome& outcome) {
  if (outcome.Result == liverun::kResultKept) return;
  FPagesWithoutRow.push_back(outcome);
  FView.AddPageWithoutRow(outcome);
}

void TLiveSearch::StatusText(const std::string& text) {
  FView.ShowStatus(text);
}

void TLiveSearch::Progress(std::size_t done, std::size_t total) {
  FJudged = done;
  FView.ShowGauge(done, total);
  if (total > 0) FView.ShowCount(ItemsFoundText(FView.RowCount(), done));
}

void TLiveSearch::Finished(const liverun::TLiveRunSummary& summary) {
  // The run's thread made its last call: joining it takes no time.
  if (FRun) FRun->Wait();
  FRun.reset();
  End(summary);
}

}  // namespace halvane
