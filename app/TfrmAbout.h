#pragma once
// The about window: product name, version, copyright line and about text
// from the branding settings.
#include <QDialog>

#include <string>

#include "branding/TBrandSettings.h"

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;

namespace halvane {

class TfrmAbout : public QDialog {
  Q_OBJECT

 public:
  // liveText: the sources of live mode, shown after the about text ("" in
  // the classic edition).
  TfrmAbout(const TBrandSettings& settings, QWidget* parent = nullptr, std::string liveText = {});

  void FormCreate();
  void editAboutClick();

  QLabel* lblProductName = nullptr;
  QLabel* lblProductVersion = nullptr;
  QLabel* lblCopyright1 = nullptr;
  QFrame* bsSkinPanel1 = nullptr;
  QPlainTextEdit* memAbout = nullptr;
  QScrollBar* bsSkinScrollBar1 = nullptr;
  QPushButton* editAbout = nullptr;

 private:
  const TBrandSettings& FSettings;
  std::string FLiveText;
};

}  // namespace halvane
