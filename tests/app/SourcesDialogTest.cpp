// The Sources dialog shows what the registry lists: a combo item per entry,
// an edit row per key, and reads each choice and key back. It is wide enough
// for a web address, offers Browse for files, names the file it writes and
// shows every message whole.
#include <QComboBox>
#include <QFile>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <string_view>
#include <thread>

#include "tests/toolkit/QtTestMain.h"
#include "app/TfrmSources.h"
#include "sources/TSourceRegistry.h"
#include "sources/TSourcesFile.h"

using namespace halvane;
using namespace halvane::sources;

namespace {

template <typename TEntry>
QStringList DialogNames(const std::vector<TEntry>& entries) {
  QStringList names;
  for (const TEntry& entry : entries) names << QString::fromLatin1(entry.DialogName);
  return names;
}

QStringList Items(const QComboBox* box) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
  return items;
}

// The label of the form row holding field, alone or beside its buttons.
QString RowLabel(QWidget* field) {
  auto* form = qobject_cast<QFormLayout*>(field->parentWidget()->layout());
  if (!form) return {};
  for (int row = 0; row < form->rowCount(); ++row) {
    QLayoutItem* item = form->itemAt(row, QFormLayout::FieldRole);
    if (!item || (item->widget() != field && !(item->layout() && item->layout()->indexOf(field) >= 0))) continue;
    auto* label = qobject_cast<QLabel*>(form->itemAt(row, QFormLayout::LabelRole)->widget());
    return label ? label->text() : QString();
  }
  return {};
}

// A web address of 60 characters.
constexpr std::string_view kAddress = "https://searx.example.org/search?q=halvane+news&language=all";
static_assert(kAddress.size() == 60);

// Whether edit shows text from its first character to its last.
bool ShowsWhole(QLineEdit* edit, const QString& text) {
  edit->setText(text);  // the cursor at the end: a text too long scrolls its start away
  edit->repaint();
  if (edit->cursorPositionAt(QPoint(1, edit->height() / 2)) != 0) return false;
  return edit->width() >= QFontMetrics(edit->font()).horizontalAdvance(text);
}

// The edits that take addresses, in the registry and on the network.
std::vector<QLineEdit*> AddressEdits(const TfrmSources& dialog) {
  std::vector<QLineEdit*> edits{dialog.edtProxy, dialog.edtCaFile};
  const auto add = [&](const auto& entries) {
    for (const auto& entry : entries) {
      for (const TSourceKey& key : entry.Keys) {
        if (!key.Secret) edits.push_back(dialog.KeyEdit(key.Section, key.Name));
      }
    }
  };
  add(TSourceRegistry::Engines());
  add(TSourceRegistry::Authorities());
  add(TSourceRegistry::Rankings());
  return edits;
}

// The label shows all of its text: wrapped, as typed, and given the height
// the wrapped lines need.
void CheckShownWhole(QLabel* label, const QString& message) {
  QVERIFY(label->text().contains(message));
  QVERIFY(label->wordWrap());
  QCOMPARE(label->textFormat(), Qt::PlainText);
  QTRY_VERIFY2(label->height() >= label->heightForWidth(label->width()),
               qPrintable(QStringLiteral("%1 of %2").arg(label->height()).arg(label->heightForWidth(label->width()))));
  QVERIFY(label->width() <= label->window()->width());
}

}  // namespace

class SourcesDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void CombosListEveryRegisteredEntryInOrder() {
    TfrmSources dialog(TSourcesFile::Defaults(), "unused.ini", {});
    QCOMPARE(Items(dialog.cbxEngine), DialogNames(TSourceRegistry::Engines()));
    QCOMPARE(Items(dialog.cbxAuthority), DialogNames(TSourceRegistry::Authorities()));
    QCOMPARE(Items(dialog.cbxRanking), DialogNames(TSourceRegistry::Rankings()));
    // The texts users know, in their order.
    QCOMPARE(Items(dialog.cbxEngine), (QStringList{"classic", "searxng", "brave"}));
    QCOMPARE(Items(dialog.cbxAuthority), (QStringList{"classic", "openpagerank", "table", "none"}));
    QCOMPARE(Items(dialog.cbxRanking), (QStringList{"classic", "tranco", "none"}));
  }

  void EveryKeyHasItsLabelledRowMaskedWhenSecret() {
    TfrmSources dialog(TSourcesFile::Defaults(), "unused.ini", {});
    int keys = 0;
    const auto check = [&](const auto& entries) {
      for (const auto& entry : entries) {
        for (const TSourceKey& key : entry.Keys) {
          ++keys;
          QLineEdit* edit = dialog.KeyEdit(key.Section, key.Name);
          QVERIFY2(edit, key.Name);
          QCOMPARE(edit->objectName(), QString::fromLatin1(key.Control));
          QCOMPARE(RowLabel(edit), QString::fromLatin1(key.Label));
          QCOMPARE(edit->echoMode(), key.Secret ? QLineEdit::Password : QLineEdit::Normal);
        }
      }
    };
    check(TSourceRegistry::Engines());
    check(TSourceRegistry::Authorities());
    check(TSourceRegistry::Rankings());
    QCOMPARE(keys, 8);
    QVERIFY(!dialog.KeyEdit("search", "deadline"));
  }

  // Each entry shown is selected with its keys' values, and read back with
  // what is typed in them (blanks around trimmed).
  void ChoicesAndKeysReadBackAsShown() {
    const auto check = [](const auto& entries, auto field, auto combo) {
      int index = 0;
      for (const auto& entry : entries) {
        TSources s = TSourcesFile::Defaults();
        s.*field = entry.Id;
        for (const auto& key : entry.Keys) s.*key.Field = std::string("value of ") + key.Name;
        TfrmSources dialog(s, "unused.ini", {});
        QCOMPARE((dialog.*combo)->currentIndex(), index++);
        for (const auto& key : entry.Keys) {
          QCOMPARE(dialog.KeyEdit(key.Section, key.Name)->text().toStdString(), s.*key.Field);
          dialog.KeyEdit(key.Section, key.Name)->setText(QStringLiteral(" typed%1 ").arg(QString::fromLatin1(key.Name)));
        }
        const TSources back = dialog.Sources();
        QCOMPARE(back.*field, entry.Id);
        for (const auto& key : entry.Keys) QCOMPARE(back.*key.Field, std::string("typed") + key.Name);
      }
    };
    check(TSourceRegistry::Engines(), &TSources::Engine, &TfrmSources::cbxEngine);
    check(TSourceRegistry::Authorities(), &TSources::Authority, &TfrmSources::cbxAuthority);
    check(TSourceRegistry::Rankings(), &TSources::Ranking, &TfrmSources::cbxRanking);
  }

  // At the size it opens with, at its smallest and when widened.
  void EditsShowAWholeAddress() {
    TfrmSources dialog(TSourcesFile::Defaults(), "unused.ini", {});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QString address = QString::fromLatin1(kAddress.data(), static_cast<qsizetype>(kAddress.size()));
    for (QLineEdit* edit : AddressEdits(dialog)) QVERIFY2(ShowsWhole(edit, address), qPrintable(edit->objectName()));

    dialog.resize(1, 1);
    QTRY_COMPARE(dialog.size(), dialog.minimumSize());
    for (QLineEdit* edit : AddressEdits(dialog)) QVERIFY2(ShowsWhole(edit, address), qPrintable(edit->objectName()));

    const int narrow = dialog.edtCaFile->width();
    dialog.resize(dialog.width() + 200, dialog.height());
    QTRY_VERIFY(dialog.edtCaFile->width() >= narrow + 200);
  }

  void FileEditsHaveBrowseButtons() {
    TSources start = TSourcesFile::Defaults();
    start.Network.CaFile = "/etc/ssl/old.pem";
    std::vector<std::string> asked;
    std::string answer;
    TSourcesSeams seams;
    seams.ChooseFile = [&](QWidget* parent, const std::string& caption, const std::string& current) {
      asked.push_back(caption + "|" + current);
      return parent ? answer : std::string("no parent");
    };
    TfrmSources dialog(start, "unused.ini", seams);

    std::vector<QLineEdit*> files{dialog.edtCaFile};
    std::vector<QLineEdit*> others{dialog.edtProxy};
    const auto sort = [&](const auto& entries) {
      for (const auto& entry : entries) {
        for (const TSourceKey& key : entry.Keys) {
          const bool file = key.Kind == TSourceKey::TKind::File || key.Kind == TSourceKey::TKind::OptionalFile;
          (file ? files : others).push_back(dialog.KeyEdit(key.Section, key.Name));
        }
      }
    };
    sort(TSourceRegistry::Engines());
    sort(TSourceRegistry::Authorities());
    sort(TSourceRegistry::Rankings());
    QCOMPARE(files.size(), std::size_t{3});  // CA file, authority table, Tranco list

    for (QLineEdit* edit : files) {
      const QString name = edit->objectName().replace(0, 3, QStringLiteral("btn")) + QStringLiteral("Browse");
      auto* button = dialog.findChild<QPushButton*>(name);
      QVERIFY2(button, qPrintable(name));
      QCOMPARE(button->text(), QStringLiteral("Browse..."));
      QCOMPARE(RowLabel(button), RowLabel(edit));  // on the edit's row

      const QString before = edit->text();
      asked.clear();
      answer = "";  // cancelled
      button->click();
      QCOMPARE(asked, std::vector<std::string>{RowLabel(edit).toStdString() + "|" + before.toStdString()});
      QCOMPARE(edit->text(), before);

      answer = "/home/u/chosen " + name.toStdString();
      button->click();
      QCOMPARE(edit->text().toStdString(), answer);
    }
    QCOMPARE(dialog.Sources().Network.CaFile, std::string("/home/u/chosen btnCaFileBrowse"));
    for (QLineEdit* edit : others) {
      const QString name = edit->objectName().replace(0, 3, QStringLiteral("btn")) + QStringLiteral("Browse");
      QVERIFY2(!dialog.findChild<QPushButton*>(name), qPrintable(name));
    }
  }

  void NamesTheFileItWrites() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("sources.ini"));
    {
      TfrmSources dialog(TSourcesFile::Defaults(), path.toStdString(), {});
      QCOMPARE(dialog.lblFile->text(), QStringLiteral("Will be saved to ") + path);
      QVERIFY(dialog.lblFile->textInteractionFlags() & Qt::TextSelectableByMouse);
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    TfrmSources dialog(TSourcesFile::Defaults(), path.toStdString(), {});
    QCOMPARE(dialog.lblFile->text(), QStringLiteral("Saved to ") + path);
  }

  // A test result, a download error and a refused save, each 300 characters
  // and starting like markup.
  void LongMessagesShowWhole() {
    QString message = QStringLiteral(
        "<html> SearXNG at http://searx.example.org/search: HTTP 403: JSON output disabled;"
        " enable format json in its settings.yml search.formats.");
    while (message.size() < 300) message += QStringLiteral(" And more words");
    message.truncate(300);

    TSourcesSeams seams;
    TSourcesSeams::TChecksDone checked;
    TSourcesSeams::TDownloadDone downloaded;
    seams.Test = [&](const TSources&, TSourcesSeams::TChecksDone done) {
      checked = std::move(done);
      return std::make_shared<int>(0);
    };
    seams.Download = [&](const TSources&, TSourcesSeams::TProgress, TSourcesSeams::TDownloadDone done) {
      downloaded = std::move(done);
      return std::make_shared<int>(0);
    };
    seams.Save = [&](const std::string&, const TSources&) { throw TSourcesFileError(message.toStdString()); };
    TfrmSources dialog(TSourcesFile::Defaults(), "unused.ini", seams);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    dialog.btnTest->click();
    std::thread([&] { checked({{"Search (SearXNG)", message.toStdString()}}); }).join();
    QTRY_COMPARE(dialog.lblTest->text(), QStringLiteral("Search (SearXNG): ") + message);
    CheckShownWhole(dialog.lblTest, message);
    if (QTest::currentTestFailed()) return;

    dialog.btnDownload->click();
    downloaded(message.toStdString());
    QTRY_VERIFY(dialog.btnDownload->isEnabled());
    CheckShownWhole(dialog.lblDownload, message);
    if (QTest::currentTestFailed()) return;

    dialog.btnOk->click();
    QCOMPARE(dialog.lblError->text(), message);
    CheckShownWhole(dialog.lblError, message);
    if (QTest::currentTestFailed()) return;
    QVERIFY(dialog.isVisible());
  }
};

HALVANE_QTEST(SourcesDialogTest);
#include "SourcesDialogTest.moc"
