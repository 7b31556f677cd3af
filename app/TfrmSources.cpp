#include "app/TfrmSources.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QVBoxLayout>

#include "livesetup/TListDownload.h"
#include "sources/TSourceRegistry.h"
#include "sources/TSourcesFile.h"

namespace halvane {
namespace {

using namespace sources;

// The edits show an address this long whole.
constexpr std::string_view kWideAddress = "https://www.searx-mirror.example.com/search?q=web&lang=en-GB";
static_assert(kWideAddress.size() == 60);
// The room QLineEdit keeps on each side of its text, inside the frame.
constexpr int kEditTextMargin = 2;

QString Text(const std::string& text) { return QString::fromStdString(text); }
std::string Text(const QLineEdit* edit) { return edit->text().trimmed().toStdString(); }

QLineEdit* NewEdit(const char* name, bool masked = false) {
  auto* edit = new QLineEdit();
  edit->setObjectName(QString::fromLatin1(name));
  if (masked) edit->setEchoMode(QLineEdit::Password);
  return edit;
}

// A label for messages: shown whole (wrapped, never read as markup) and
// selectable so they can be copied.
QLabel* NewMessage(const char* name) {
  auto* label = new QLabel();
  label->setObjectName(QString::fromLatin1(name));
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

// The width edit needs to show text whole: text, margins and frame.
int EditWidthFor(QLineEdit* edit, const QString& text) {
  edit->ensurePolished();
  QStyleOptionFrame option;
  option.initFrom(edit);
  option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
  option.midLineWidth = 0;
  option.state |= QStyle::State_Sunken;
  const QMargins margins = edit->textMargins();
  // One more pixel for the cursor after the last character.
  const int inner =
      edit->fontMetrics().horizontalAdvance(text) + 2 * kEditTextMargin + margins.left() + margins.right() + 1;
  return edit->style()
      ->sizeFromContents(QStyle::CT_LineEdit, &option, QSize(inner, edit->sizeHint().height()), edit)
      .width();
}

bool IsFileKind(TSourceKey::TKind kind) {
  return kind == TSourceKey::TKind::File || kind == TSourceKey::TKind::OptionalFile;
}

QComboBox* NewChoice(const char* name, std::initializer_list<const char*> values) {
  auto* box = new QComboBox();
  box->setObjectName(QString::fromLatin1(name));
  for (const char* value : values) box->addItem(QString::fromLatin1(value));
  return box;
}

// A combo of the registry's entries, in its order.
template <typename TEntry>
QComboBox* NewSourceChoice(const char* name, const std::vector<TEntry>& entries) {
  auto* box = NewChoice(name, {});
  for (const TEntry& entry : entries) box->addItem(QString::fromLatin1(entry.DialogName));
  return box;
}

template <typename TEntry>
int IndexOf(const std::vector<TEntry>& entries, decltype(TEntry::Id) id) {
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].Id == id) return static_cast<int>(i);
  }
  return 0;
}

template <typename TEntry>
decltype(TEntry::Id) IdAt(const std::vector<TEntry>& entries, int index) {
  return index >= 0 && static_cast<std::size_t>(index) < entries.size() ? entries[static_cast<std::size_t>(index)].Id
                                                                         : entries.front().Id;
}

std::string JoinProxies(const std::vector<std::string>& proxies) {
  std::string text;
  for (const std::string& proxy : proxies) text += (text.empty() ? "" : ", ") + proxy;
  return text;
}

std::vector<std::string> SplitProxies(const std::string& text) {
  std::vector<std::string> proxies;
  std::string current;
  for (char c : text + ",") {
    if (c == ',' || c == ' ') {
      if (!current.empty()) proxies.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  return proxies;
}

}  // namespace

TfrmSources::TfrmSources(const TSources& sources, std::string path, TSourcesSeams seams, QWidget* parent)
    : QDialog(parent), FOriginal(sources), FPath(std::move(path)), FSeams(std::move(seams)) {
  setObjectName(QStringLiteral("TfrmSources"));
  setWindowTitle(QStringLiteral("Sources"));
  setModal(true);
  setSizeGripEnabled(true);
  CreateControls();
  SizeEdits();
  Show(sources);
}

TfrmSources::~TfrmSources() {
  // Ends the work under way before the controls go; no callback after.
  FTest.reset();
  FDownload.reset();
}

void TfrmSources::CreateControls() {
  auto* layout = new QVBoxLayout(this);
  lblFile = NewMessage("lblFile");
  const QString file = Text(FPath);
  lblFile->setText(QFileInfo::exists(file) ? QStringLiteral("Saved to %1").arg(file)
                                           : QStringLiteral("Will be saved to %1").arg(file));
  layout->addWidget(lblFile);
  const auto group = [&](const char* title) {
    auto* box = new QGroupBox(QString::fromLatin1(title));
    auto* form = new QFormLayout(box);
    // The edits take the width the window is given.
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    layout->addWidget(box);
    return form;
  };

  QFormLayout* search = group("Search");
  cbxEngine = NewSourceChoice("cbxEngine", TSourceRegistry::Engines());
  search->addRow(QStringLiteral("Engine"), cbxEngine);
  AddKeyRows(search, TSourceRegistry::Engines());

  QFormLayout* authority = group("Authority");
  cbxAuthority = NewSourceChoice("cbxAuthority", TSourceRegistry::Authorities());
  authority->addRow(QStringLiteral("Source"), cbxAuthority);
  AddKeyRows(authority, TSourceRegistry::Authorities());

  QFormLayout* ranking = group("Traffic rank");
  cbxRanking = NewSourceChoice("cbxRanking", TSourceRegistry::Rankings());
  ranking->addRow(QStringLiteral("Source"), cbxRanking);
  AddKeyRows(ranking, TSourceRegistry::Rankings());
  auto* download = new QHBoxLayout();
  btnDownload = new QPushButton(QStringLiteral("Download"));
  btnDownload->setObjectName(QStringLiteral("btnDownload"));
  btnCancelDownload = new QPushButton(QStringLiteral("Cancel"));
  btnCancelDownload->setObjectName(QStringLiteral("btnCancelDownload"));
  btnCancelDownload->setEnabled(false);
  prgDownload = new QProgressBar();
  prgDownload->setObjectName(QStringLiteral("prgDownload"));
  prgDownload->setRange(0, 1);
  prgDownload->setValue(0);
  download->addWidget(btnDownload);
  download->addWidget(prgDownload, 1);
  download->addWidget(btnCancelDownload);
  ranking->addRow(download);
  lblDownload = NewMessage("lblDownload");
  ranking->addRow(lblDownload);

  QFormLayout* pages = group("Pages and network");
  cbxPageTest = NewChoice("cbxPageTest", {"classic", "modern"});
  pages->addRow(QStringLiteral("Page test"), cbxPageTest);
  spnParallel = new QSpinBox();
  spnParallel->setObjectName(QStringLiteral("spnParallel"));
  spnParallel->setRange(1, 16);
  pages->addRow(QStringLiteral("Parallel fetches"), spnParallel);
  pages->addRow(QStringLiteral("Proxies"), edtProxy = NewEdit("edtProxy"));
  edtCaFile = NewEdit("edtCaFile");
  pages->addRow(QStringLiteral("CA file"), WithBrowse(edtCaFile, QStringLiteral("CA file")));
  cbxRobots = NewChoice("cbxRobots", {"obey", "ignore"});
  pages->addRow(QStringLiteral("robots.txt"), cbxRobots);

  btnTest = new QPushButton(QStringLiteral("Test"));
  btnTest->setObjectName(QStringLiteral("btnTest"));
  lblTest = NewMessage("lblTest");
  layout->addWidget(btnTest);
  layout->addWidget(lblTest);
  lblError = NewMessage("lblError");
  layout->addWidget(lblError);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  btnOk = buttons->button(QDialogButtonBox::Ok);
  layout->addWidget(buttons);

  connect(btnTest, &QPushButton::clicked, this, &TfrmSources::btnTestClick);
  connect(btnDownload, &QPushButton::clicked, this, &TfrmSources::btnDownloadClick);
  connect(btnCancelDownload, &QPushButton::clicked, this, &TfrmSources::btnCancelDownloadClick);
  connect(buttons, &QDialogButtonBox::accepted, this, &TfrmSources::btnOkClick);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

template <typename TEntry>
void TfrmSources::AddKeyRows(QFormLayout* form, const std::vector<TEntry>& entries) {
  for (const TEntry& entry : entries) {
    for (const TSourceKey& key : entry.Keys) {
      QLineEdit* edit = NewEdit(key.Control, key.Secret);
      const QString label = QString::fromLatin1(key.Label);
      if (IsFileKind(key.Kind)) {
        form->addRow(label, WithBrowse(edit, label));
      } else {
        form->addRow(label, edit);
      }
      FKeyEdits.emplace_back(key, edit);
    }
  }
}

QLayout* TfrmSources::WithBrowse(QLineEdit* edit, const QString& caption) {
  auto* row = new QHBoxLayout();
  auto* button = new QPushButton(QStringLiteral("Browse..."));
  QString name = edit->objectName();
  button->setObjectName(name.replace(0, 3, QStringLiteral("btn")) + QStringLiteral("Browse"));
  row->addWidget(edit, 1);
  row->addWidget(button);
  connect(button, &QPushButton::clicked, this, [this, edit, caption] { btnBrowseClick(edit, caption); });
  return row;
}

void TfrmSources::SizeEdits() {
  const QString sample = QString::fromLatin1(kWideAddress.data(), static_cast<qsizetype>(kWideAddress.size()));
  for (QLineEdit* edit : findChildren<QLineEdit*>()) {
    // The spin box's own edit keeps its size.
    if (edit->objectName().startsWith(QLatin1String("edt"))) edit->setMinimumWidth(EditWidthFor(edit, sample));
  }
}

bool TfrmSources::event(QEvent* event) {
  const bool handled = QDialog::event(event);
  // A new message or a narrower window may need more lines.
  if (event->type() == QEvent::LayoutRequest || event->type() == QEvent::Resize) FitMessages();
  return handled;
}

void TfrmSources::FitMessages() {
  // A window keeps the height of one line per label: it does not follow the
  // height its wrapped labels need at its width.
  QLayout* box = layout();
  if (!box->hasHeightForWidth()) return;
  const int needed = box->totalMinimumHeightForWidth(width());
  if (needed > height()) resize(width(), needed);
}

void TfrmSources::btnBrowseClick(QLineEdit* edit, const QString& caption) {
  if (!FSeams.ChooseFile) return;
  const std::string chosen = FSeams.ChooseFile(this, caption.toStdString(), Text(edit));
  if (!chosen.empty()) edit->setText(Text(chosen));
}

QLineEdit* TfrmSources::KeyEdit(std::string_view section, std::string_view name) const {
  for (const auto& [key, edit] : FKeyEdits) {
    if (key.Section == section && key.Name == name) return edit;
  }
  return nullptr;
}

void TfrmSources::Show(const TSources& s) {
  cbxEngine->setCurrentIndex(IndexOf(TSourceRegistry::Engines(), s.Engine));
  cbxAuthority->setCurrentIndex(IndexOf(TSourceRegistry::Authorities(), s.Authority));
  cbxRanking->setCurrentIndex(IndexOf(TSourceRegistry::Rankings(), s.Ranking));
  for (const auto& [key, edit] : FKeyEdits) edit->setText(Text(s.*key.Field));
  cbxPageTest->setCurrentIndex(static_cast<int>(s.PageTest));
  spnParallel->setValue(s.Network.Parallel);
  edtProxy->setText(Text(JoinProxies(s.Network.Proxies)));
  edtCaFile->setText(Text(s.Network.CaFile));
  cbxRobots->setCurrentIndex(s.Network.ObeyRobots ? 0 : 1);
}

TSources TfrmSources::Sources() const {
  TSources s = FOriginal;
  s.Engine = IdAt(TSourceRegistry::Engines(), cbxEngine->currentIndex());
  s.Authority = IdAt(TSourceRegistry::Authorities(), cbxAuthority->currentIndex());
  s.Ranking = IdAt(TSourceRegistry::Rankings(), cbxRanking->currentIndex());
  for (const auto& [key, edit] : FKeyEdits) s.*key.Field = Text(edit);
  s.PageTest = static_cast<TPageTest>(cbxPageTest->currentIndex());
  s.Network.Parallel = spnParallel->value();
  s.Network.Proxies = SplitProxies(Text(edtProxy));
  s.Network.CaFile = Text(edtCaFile);
  s.Network.ObeyRobots = cbxRobots->currentIndex() == 0;
  return s;
}

void TfrmSources::btnTestClick() {
  if (!FSeams.Test || FTest) return;
  btnTest->setEnabled(false);
  lblTest->setText(QStringLiteral("Asking each service..."));
  FTest = FSeams.Test(Sources(), [this](std::vector<livesetup::TServiceCheck> checks) {
    QMetaObject::invokeMethod(this, [this, checks = std::move(checks)] { ChecksDone(checks); },
                              Qt::QueuedConnection);
  });
}

void TfrmSources::ChecksDone(const std::vector<livesetup::TServiceCheck>& checks) {
  FTest.reset();
  btnTest->setEnabled(true);
  QString text;
  for (const livesetup::TServiceCheck& check : checks) {
    if (!text.isEmpty()) text += QLatin1Char('\n');
    text += Text(check.Service + ": " + check.Result);
  }
  lblTest->setText(text.isEmpty() ? QStringLiteral("Every source is classic: nothing to ask.") : text);
}

void TfrmSources::btnDownloadClick() {
  if (!FSeams.Download || FDownload) return;
  btnDownload->setEnabled(false);
  btnCancelDownload->setEnabled(true);
  prgDownload->setRange(0, 0);  // size unknown: busy
  lblDownload->setText(QStringLiteral("Downloading..."));
  FDownload = FSeams.Download(
      Sources(),
      [this](std::int64_t bytes) {
        QMetaObject::invokeMethod(this, [this, bytes] { DownloadProgress(bytes); }, Qt::QueuedConnection);
      },
      [this](const std::string& error) {
        QMetaObject::invokeMethod(this, [this, error] { DownloadDone(error); }, Qt::QueuedConnection);
      });
}

void TfrmSources::DownloadProgress(std::int64_t bytes) {
  if (!FDownload) return;
  lblDownload->setText(QStringLiteral("Downloading... %1 KiB").arg(bytes / 1024));
}

void TfrmSources::btnCancelDownloadClick() {
  if (!FDownload) return;
  FDownload.reset();
  DownloadDone("cancelled");
}

void TfrmSources::DownloadDone(const std::string& error) {
  FDownload.reset();
  btnDownload->setEnabled(true);
  btnCancelDownload->setEnabled(false);
  prgDownload->setRange(0, 1);
  prgDownload->setValue(error.empty() ? 1 : 0);
  lblDownload->setText(error.empty() ? QStringLiteral("The new list is in place.")
                                     : Text("Download failed, the old list stays: " + error));
}

void TfrmSources::btnOkClick() {
  const TSources chosen = Sources();
  try {
    // What the file would say is read back as the program will read it.
    TSourcesFile::Parse(TSourcesFile::Render({}, chosen), FPath);
    if (FSeams.Save) FSeams.Save(FPath, chosen);
  } catch (const TSourcesFileError& failure) {
    lblError->setText(Text(failure.what()));
    return;
  }
  accept();
}

TSourcesSeams TfrmSources::ProductionSeams() {
  TSourcesSeams seams;
  seams.Test = [](const TSources& chosen, TSourcesSeams::TChecksDone done) -> std::shared_ptr<void> {
    auto check = std::make_shared<livesetup::TSourcesCheck>(chosen);
    check->Start(std::move(done));
    return check;
  };
  seams.Download = [](const TSources& chosen, TSourcesSeams::TProgress progress,
                      TSourcesSeams::TDownloadDone done) -> std::shared_ptr<void> {
    auto download = std::make_shared<livesetup::TListDownload>(chosen.Network, chosen.TrancoUrl, chosen.TrancoFile);
    download->Start(std::move(progress), std::move(done));
    return download;
  };
  seams.Save = [](const std::string& path, const TSources& chosen) { TSourcesFile::Write(path, chosen); };
  seams.ChooseFile = [](QWidget* parent, const std::string& caption, const std::string& current) {
    return QFileDialog::getOpenFileName(parent, Text(caption), Text(current)).toStdString();
  };
  return seams;
}

}  // namespace halvane
