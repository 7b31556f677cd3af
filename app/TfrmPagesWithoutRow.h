#pragma once
// The harvested addresses of the last live run that have no row, each with
// its final address and the reason ("nofollow", "not WordPress",
// "duplicate", "robots.txt", "failed: ..."), in harvest order. It shows a
// copy of the list and owns no work.
#include <QDialog>

#include <vector>

#include "liverun/TLiveRunListener.h"

class QLabel;
class QTableWidget;

namespace halvane {

class TfrmPagesWithoutRow : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmPagesWithoutRow(QWidget* parent = nullptr);

  void ShowPages(const std::vector<liverun::TPageOutcome>& pages);

  QTableWidget* lvwPages = nullptr;
  QLabel* lblCount = nullptr;
};

}  // namespace halvane
