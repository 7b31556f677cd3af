#include "app/TfrmAbout.h"

#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

#include <string>

#include "app/AppVersion.h"
#include "toolkit/FormPlacement.h"
#include "toolkit/TAlignLayout.h"
#include "toolkit/TextConvert.h"

namespace halvane {
namespace {

// The text's lines, broken at CR LF, a lone CR or a lone LF.
QString LinesOf(const std::string& text) {
  QStringList lines;
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines << ToQString(line);
      line.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line.push_back(c);
    }
  }
  if (!line.empty()) lines << ToQString(line);
  return lines.join(QLatin1Char('\n'));
}

}  // namespace

TfrmAbout::TfrmAbout(const TBrandSettings& settings, QWidget* parent, std::string liveText)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint),
      FSettings(settings), FLiveText(std::move(liveText)) {
  setObjectName(QStringLiteral("TfrmAbout"));
  setWindowTitle(QStringLiteral("About..."));
  setModal(true);
  // Live mode's lines (its sources, the Tranco citation) get a box they fit
  // in without scrolling; the classic window keeps its size.
  const QSize size = FLiveText.empty() ? QSize(368, 211) : QSize(560, 391);
  setFixedSize(size);
  auto* layout = new TAlignLayout(this, QSize(368, 211));

  auto label = [&](const char* name, int left, int top, bool bold) {
    auto* l = new QLabel(QStringLiteral("Label"));
    l->setObjectName(QLatin1String(name));
    l->setTextFormat(Qt::PlainText);
    if (bold) {
      QFont font = l->font();
      font.setBold(true);
      l->setFont(font);
    }
    layout->AddControl(l, QRect(left, top, 350, l->sizeHint().height()));
    return l;
  };
  lblProductName = label("lblProductName", 9, 7, true);
  lblProductVersion = label("lblProductVersion", 9, 32, false);
  lblCopyright1 = label("lblCopyright1", 9, 58, false);

  bsSkinPanel1 = new QFrame();
  bsSkinPanel1->setObjectName(QStringLiteral("bsSkinPanel1"));
  bsSkinPanel1->setProperty("skinPanel", "plain");
  layout->AddControl(bsSkinPanel1, QRect(8, 88, 348, 71), TAlign::None, akLeft | akTop | akRight | akBottom);
  auto* panelLayout = new TAlignLayout(bsSkinPanel1, QSize(348, 71));
  // The memo has its own scroll bar; the skinned one stays hidden.
  bsSkinScrollBar1 = new QScrollBar(Qt::Vertical);
  bsSkinScrollBar1->setObjectName(QStringLiteral("bsSkinScrollBar1"));
  bsSkinScrollBar1->setEnabled(false);
  bsSkinScrollBar1->setVisible(false);
  panelLayout->AddControl(bsSkinScrollBar1, QRect(329, 0, 19, 71), TAlign::Right);
  memAbout = new QPlainTextEdit();
  memAbout->setObjectName(QStringLiteral("memAbout"));
  memAbout->setReadOnly(true);
  memAbout->setFrameShape(QFrame::NoFrame);
  QFont memoFont(QStringLiteral("Arial"));
  memoFont.setPixelSize(14);
  memAbout->setFont(memoFont);
  memAbout->setStyleSheet(QStringLiteral("color: black; font-family: Arial; font-size: 14px;"));
  panelLayout->AddControl(memAbout, QRect(0, 0, 329, 71), TAlign::Client);

  editAbout = new QPushButton(QStringLiteral("Ok"));
  editAbout->setObjectName(QStringLiteral("editAbout"));
  editAbout->setDefault(true);
  layout->AddControl(editAbout, QRect(129, 171, 87, 21), TAlign::None, akLeft | akBottom);
  connect(editAbout, &QPushButton::clicked, this, &TfrmAbout::editAboutClick);

  CentreOnScreen(this, size);
  FormCreate();
}

void TfrmAbout::FormCreate() {
  setWindowTitle(ToQString("About " + FSettings.ApplicationName + "..."));
  lblProductName->setText(ToQString(FSettings.ApplicationName));
  lblProductVersion->setText(ToQString(std::string("Product Version: ") + AppVersion));
  lblCopyright1->setText(ToQString("Copyright (c) " + FSettings.CopyrightYears + " " + FSettings.CopyrightCompany));
  QString text = LinesOf(FSettings.AboutText);
  if (!FLiveText.empty()) text += QStringLiteral("\n\n") + QString::fromStdString(FLiveText);
  memAbout->setPlainText(text);
}

void TfrmAbout::editAboutClick() { accept(); }

}  // namespace halvane
