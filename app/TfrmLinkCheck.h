#pragma once
// "Re-check links": a non-modal dialog that checks every page where the
// user left a link and shows what became of each. It owns the check (a
// TLinkCheckRun) and only shows it; closing it stops a check under way.
#include <QDialog>

#include <memory>
#include <string>
#include <vector>

#include "app/TLinkCheckRun.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace halvane {

class TfrmLinkCheck : public QDialog, private TLinkCheckRun::TView {
  Q_OBJECT

 public:
  // domain: the user's site. The makers run off the interface thread.
  TfrmLinkCheck(TLinkCheckRun::TPartsMaker makeParts, TLinkCheckRun::TStoreOpener openStore, std::string domain,
                QWidget* parent = nullptr);
  ~TfrmLinkCheck() override;

  // Shows a new dialog, deleted when closed, and starts its check.
  static TfrmLinkCheck* Open(QWidget* parent, TLinkCheckRun::TPartsMaker makeParts,
                             TLinkCheckRun::TStoreOpener openStore, std::string domain);

  void Start();
  bool Checking() const { return FRun->Active(); }

  QProgressBar* prgCheck = nullptr;
  QTableWidget* lvwLinks = nullptr;
  QLabel* lblSummary = nullptr;
  QPushButton* btnStop = nullptr;
  QPushButton* btnClose = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void btnStopClick();

  // TLinkCheckRun::TView
  void ShowLinkCheckStatus(const std::string& text) override;
  void ShowLinkCheckProgress(std::size_t done, std::size_t total) override;
  void LinkCheckEnded(const std::vector<livesetup::TRecheckLine>& lines, const std::string& text) override;

  std::unique_ptr<TLinkCheckRun> FRun;
};

}  // namespace halvane
