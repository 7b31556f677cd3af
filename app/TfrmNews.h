#pragma once
// The news window: the list of news items above, the selected item's body
// below, a Close button at the foot.
#include <QDialog>

#include <memory>
#include <string>
#include <vector>

class QFrame;
class QPushButton;
class QScrollBar;
class QSplitter;
class QTreeWidget;
class QTreeWidgetItem;

namespace halvane {

class THtmlView;
class TNewsClient;

class TfrmNews : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmNews(QWidget* parent = nullptr);
  // The window of the "Check News" flow: lists newsList (id^title^date
  // lines), fetches a selected item's body through client and records its
  // id in the settings file of programFolder.
  TfrmNews(TNewsClient client, std::vector<std::string> newsList, std::string programFolder,
           QWidget* parent = nullptr);
  ~TfrmNews() override;

  void FormShow();
  void lvwItemsChange(QTreeWidgetItem* item);
  // Whether the list may change its current item or selection now.
  bool lvwItemsChanging() const;
  void btnExitClick();
  bool GetNewsDetails(const std::string& publisherId, const std::string& productCode,
                      const std::string& productTypeCode, const std::string& newsTarget,
                      const std::string& newsId, std::string& body);

  bool Fetching() const { return FFetching; }
  // The id a row stands for (never shown).
  static std::string RowNewsId(const QTreeWidgetItem* item);

  QFrame* bsSkinPanel1 = nullptr;
  QTreeWidget* lvwItems = nullptr;
  QScrollBar* bsSkinScrollBar1 = nullptr;
  QScrollBar* bsSkinScrollBar2 = nullptr;
  QSplitter* bsSkinSplitter1 = nullptr;
  THtmlView* prfEditorNews = nullptr;
  QFrame* bsSkinPanel3 = nullptr;
  QPushButton* btnExit = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void OnSelectionChanged();

  std::unique_ptr<TNewsClient> FClient;
  std::vector<std::string> FNewsList;
  std::string FProgramFolder;
  bool FShown = false;
  bool FFetching = false;
};

}  // namespace halvane
