#pragma once
// The Sources dialog: edits sources.ini (search engine, authority, traffic
// rank, page test, network). Test asks each chosen service once; Download
// fetches the Tranco list, checks it and only then replaces the old one.
// Keys are shown masked; file keys and the CA file have a Browse button.
// The file written is named at the top, and every message is shown whole.
// Nothing here blocks: answers come back as queued calls. Everything here
// runs on the interface thread.
#include <QDialog>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "livesetup/TSourcesCheck.h"
#include "sources/TSourceKey.h"
#include "sources/TSources.h"

class QComboBox;
class QFormLayout;
class QLabel;
class QLayout;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace halvane {

// What the dialog does outside itself; tests give their own.
struct TSourcesSeams {
  using TChecksDone = std::function<void(std::vector<livesetup::TServiceCheck>)>;
  using TProgress = std::function<void(std::int64_t bytes)>;
  using TDownloadDone = std::function<void(const std::string& error)>;
  // Each returns a handle; dropping it ends the work, and no callback
  // comes after. Callbacks may come on any thread.
  std::function<std::shared_ptr<void>(const sources::TSources&, TChecksDone)> Test;
  std::function<std::shared_ptr<void>(const sources::TSources&, TProgress, TDownloadDone)> Download;
  // Writes the file; throws sources::TSourcesFileError.
  std::function<void(const std::string& path, const sources::TSources&)> Save;
  // Asks for a file to open, starting at current; "" when cancelled.
  std::function<std::string(QWidget* parent, const std::string& caption, const std::string& current)> ChooseFile;
};

class TfrmSources : public QDialog {
  Q_OBJECT

 public:
  TfrmSources(const sources::TSources& sources, std::string path, TSourcesSeams seams, QWidget* parent = nullptr);
  ~TfrmSources() override;

  static TSourcesSeams ProductionSeams();

  // What the controls say now.
  sources::TSources Sources() const;

  void btnTestClick();
  void btnDownloadClick();
  void btnCancelDownloadClick();
  void btnOkClick();
  // The Browse button beside edit.
  void btnBrowseClick(QLineEdit* edit, const QString& caption);

  // The edit of a registered source's key ("search", "brave-key"), or
  // nullptr.
  QLineEdit* KeyEdit(std::string_view section, std::string_view name) const;

  QLabel* lblFile = nullptr;
  QComboBox* cbxEngine = nullptr;
  QComboBox* cbxAuthority = nullptr;
  QComboBox* cbxRanking = nullptr;
  QPushButton* btnDownload = nullptr;
  QPushButton* btnCancelDownload = nullptr;
  QProgressBar* prgDownload = nullptr;
  QLabel* lblDownload = nullptr;
  QComboBox* cbxPageTest = nullptr;
  QSpinBox* spnParallel = nullptr;
  QLineEdit* edtProxy = nullptr;
  QLineEdit* edtCaFile = nullptr;
  QComboBox* cbxRobots = nullptr;
  QPushButton* btnTest = nullptr;
  QLabel* lblTest = nullptr;
  QLabel* lblError = nullptr;
  QPushButton* btnOk = nullptr;

 protected:
  bool event(QEvent* event) override;

 private:
  void CreateControls();
  // edit with a Browse button beside it, for a form row.
  QLayout* WithBrowse(QLineEdit* edit, const QString& caption);
  // Wide enough for a whole web address at the edits' font.
  void SizeEdits();
  // Grows the window to the height its wrapped messages need at its width.
  void FitMessages();
  // One edit row per key of entries, below the group's source combo.
  template <typename TEntry>
  void AddKeyRows(QFormLayout* form, const std::vector<TEntry>& entries);
  void Show(const sources::TSources& sources);
  void ChecksDone(const std::vector<livesetup::TServiceCheck>& checks);
  void DownloadProgress(std::int64_t bytes);
  void DownloadDone(const std::string& error);

  // The registered sources' keys and their edits, in the registry's order.
  std::vector<std::pair<sources::TSourceKey, QLineEdit*>> FKeyEdits;
  sources::TSources FOriginal;  // keeps what the dialog does not edit
  std::string FPath;
  TSourcesSeams FSeams;
  std::shared_ptr<void> FTest;
  std::shared_ptr<void> FDownload;
};

}  // namespace halvane
