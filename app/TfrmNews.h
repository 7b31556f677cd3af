#pragma once
// The news window: the list of news items above, the selected item's body
// below, a Close button at the foot.
#include <QDialog>

class QFrame;
class QPushButton;
class QScrollBar;
class QSplitter;
class QTreeWidget;

namespace halvane {

class THtmlView;

class TfrmNews : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmNews(QWidget* parent = nullptr);

  void btnExitClick();

  QFrame* bsSkinPanel1 = nullptr;
  QTreeWidget* lvwItems = nullptr;
  QScrollBar* bsSkinScrollBar1 = nullptr;
  QScrollBar* bsSkinScrollBar2 = nullptr;
  QSplitter* bsSkinSplitter1 = nullptr;
  THtmlView* prfEditorNews = nullptr;
  QFrame* bsSkinPanel3 = nullptr;
  QPushButton* btnExit = nullptr;
};

}  // namespace halvane
