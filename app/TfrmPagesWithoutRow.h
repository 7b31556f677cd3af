#pragma once
// The main window's second view in live mode: the harvested addresses of
// the last run that have no row, each with its final address and the
// reason ("nofollow", "not WordPress", "duplicate", "robots.txt",
// "failed: ..."), in harvest order, and what the sources said went wrong,
// in full. It shows copies and owns no work.
#include <QWidget>

#include <string>
#include <vector>

#include "liverun/TLiveRunListener.h"

class QLabel;
class QTableWidget;

namespace halvane {

class TfrmPagesWithoutRow : public QWidget {
  Q_OBJECT

 public:
  explicit TfrmPagesWithoutRow(QWidget* parent = nullptr);

  void ShowPages(const std::vector<liverun::TPageOutcome>& pages);
  // One more, while the run goes on.
  void AddPage(const liverun::TPageOutcome& page);
  // The run's source errors and notes, one to a line ("" hides them).
  void ShowSourceProblems(const std::string& text);

  QTableWidget* lvwPages = nullptr;
  QLabel* lblCount = nullptr;
  QLabel* lblSourceProblems = nullptr;

 private:
  void SetRow(int row, const liverun::TPageOutcome& page);
  void ShowCount();
};

}  // namespace halvane
