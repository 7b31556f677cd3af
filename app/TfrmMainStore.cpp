// The main window's live actions on the store, none of which waits for it:
// blacklist a domain, "I commented here", history, Re-check Links, and the
// question before unsaved rows are replaced.
#include "app/TfrmMain.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTabBar>

#include <ctime>

#include "app/TResultsModel.h"
#include "app/TfrmLinkCheck.h"
#include "live/RegistrableDomain.h"
#include "livesetup/ChosenStore.h"
#include "livesetup/LiveRunParts.h"
#include "livesetup/TStoreMemory.h"
#include "livesetup/TStoreTasks.h"
#include "search/ItemAnalysis.h"
#include "search/ResultsList.h"
#include "store/TStoreError.h"
#include "toolkit/TMessageBox.h"
#include "toolkit/TextConvert.h"

namespace halvane {
namespace {

const char* const kStoreOff = "The store is off ([store] use = no in the sources file): nothing is remembered";

}  // namespace

std::function<std::unique_ptr<store::TStore>(std::string& error)> TfrmMain::StoreOpener() const {
  return [choice = FSources.Store](std::string& error) { return livesetup::OpenChosenStore(choice, error); };
}

void TfrmMain::RunStoreTask(std::function<std::string(store::TStore&)> task) {
  if (!FStoreTasks) return;
  QPointer<QLabel> status = MainStatusPanel;
  FStoreTasks->Post([task = std::move(task), status](store::TStore* store, const std::string& error) {
    std::string message;
    if (!store) {
      message = error.empty() ? std::string(kStoreOff) : error;
    } else {
      try {
        message = task(*store);
      } catch (const store::TStoreError& failure) {
        message = failure.what();
      }
    }
    QMetaObject::invokeMethod(
        status, [status, message] {
          if (!status) return;
          status->setText(ToQString(message));
          status->setToolTip(ToQString(message));
        },
        Qt::QueuedConnection);
  });
}

void TfrmMain::actBlacklistDomainClick() {
  for (std::size_t row : SelectedModelRows()) {
    const std::string domain = live::RegistrableDomain(live::HostOfUrl(lvwItemsModel->AddressAt(row)));
    if (domain.empty()) continue;
    RunStoreTask([domain](store::TStore& store) {
      return store.AddToBlacklist(domain) ? domain + " is on the blacklist now: later runs skip its pages"
                                          : domain + " was on the blacklist already";
    });
  }
}

void TfrmMain::actCommentedClick() {
  for (std::size_t row : SelectedModelRows()) {
    const std::string address = lvwItemsModel->AddressAt(row);
    RunStoreTask([address](store::TStore& store) {
      const bool added = store.AddLink(address, live::HostOfUrl(address));
      return (added ? "Your comment on " + address + " is recorded"
                    : "Your comment on " + address + " was recorded already") +
             std::string("; Re-check Links watches it");
    });
  }
}

void TfrmMain::LoadHistory(int days) {
  if (!FStoreTasks || LiveRunActive()) return;
  MainStatusPanel->setText(QStringLiteral("Reading the store..."));
  const store::TTime since =
      days <= 0 ? 0 : static_cast<store::TTime>(std::time(nullptr)) - static_cast<store::TTime>(days) * 86400;
  QPointer<TfrmMain> self = this;
  FStoreTasks->Post([self, since](store::TStore* store, const std::string& error) {
    std::vector<liverun::TLiveResult> rows;
    std::string message;
    if (!store) {
      message = error.empty() ? std::string(kStoreOff) : error;
    } else {
      try {
        for (const store::THistoryEntry& entry : store->History(since)) {
          // Only the pages that have a row; the others are in Pages without a row of their runs.
          if (entry.Verdict.Reason.empty()) rows.push_back(livesetup::ResultOf(entry.Verdict));
        }
        message = std::to_string(rows.size()) + (rows.size() == 1 ? " row" : " rows") + " from the store (" +
                  store->Location() + ")";
      } catch (const store::TStoreError& failure) {
        message = failure.what();
      }
    }
    QMetaObject::invokeMethod(
        self, [self, rows = std::move(rows), message] {
          if (self) self->ShowHistory(rows, message);
        },
        Qt::QueuedConnection);
  });
}

void TfrmMain::ShowHistory(const std::vector<liverun::TLiveResult>& rows, const std::string& message) {
  MainStatusPanel->setText(ToQString(message));
  MainStatusPanel->setToolTip(ToQString(message));
  if (rows.empty() || LiveRunActive()) return;
  bool append = false;
  if (!MayReplaceRows(append)) return;
  if (!append) lvwItemsModel->Clear();
  lvwItemsModel->SetColumns(TResultColumns::Live);
  for (const liverun::TLiveResult& row : rows) lvwItemsModel->AddLive(row);
  FUnsavedRows = append ? FUnsavedRows : 0;
  tabViews->setCurrentIndex(kResultsTab);
  stpItems->setText(ToQString(ItemsListedText(lvwItemsModel->Count())));
  ShowFilteredCount();
}

void TfrmMain::btnRecheckClick() {
  const std::string domain = DomainFromEditText(DomainText());
  if (domain.empty()) {
    MainStatusPanel->setText(QStringLiteral("Type your domain first: Re-check Links looks for links to it"));
    edtDomain->setFocus();
    return;
  }
  TfrmLinkCheck::Open(
      this, [sources = FSources](std::string& error) { return livesetup::MakeLiveRunParts(sources, error); },
      StoreOpener(), domain);
}

bool TfrmMain::MayReplaceRows(bool& append) {
  append = false;
  if (FUnsavedRows == 0 || lvwItemsModel->Count() == 0) return true;
  const std::string question = "The list holds " + std::to_string(FUnsavedRows) +
                               (FUnsavedRows == 1 ? " row" : " rows") +
                               " that you have not saved.\n\nYes: replace them with the new rows.\n"
                               "No: keep them and add the new rows below.\nCancel: do nothing.";
  switch (msgMain->Execute(question, TMsgKind::Information, TMsgButtons::YesNoCancel)) {
    case TMsgResult::Yes: return true;
    case TMsgResult::No: append = true; return true;
    default: return false;
  }
}
}  // namespace halvane
