// The Sources dialog shows what the registry lists: a combo item per entry,
// an edit row per key, and reads each choice and key back.
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

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

// The label of the form row holding field.
QString RowLabel(QWidget* field) {
  auto* form = qobject_cast<QFormLayout*>(field->parentWidget()->layout());
  if (!form) return {};
  auto* label = qobject_cast<QLabel*>(form->labelForField(field));
  return label ? label->text() : QString();
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
};

HALVANE_QTEST(SourcesDialogTest);
#include "SourcesDialogTest.moc"
