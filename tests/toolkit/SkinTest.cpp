#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <string>

#include "tests/toolkit/QtTestMain.h"
#include "branding/SkinFile.h"
#include "toolkit/TSkin.h"
#include "toolkit/TextConvert.h"

using namespace halvane;

namespace {

// Skins as the publisher's tool writes them.
std::string Pack(const std::string& plain) { return CompressSkin(plain); }

void WriteFile(const QString& path, const std::string& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

}  // namespace

class SkinTest : public QObject {
  Q_OBJECT

 private slots:
  void BuiltInSkinIsACompleteStyleSheet() {
    const QString sheet = TSkin::BuiltInStyleSheet();
    QVERIFY(sheet.contains(QStringLiteral("QPushButton")));
    QVERIFY(sheet.contains(QStringLiteral("QTableView")));
    QCOMPARE(sheet.count(QLatin1Char('{')), sheet.count(QLatin1Char('}')));
  }

  void DecompressRejectsDamagedAndOversizedStreams() {
    const std::string sheet = "QWidget { color: red; }";
    const std::string packed = Pack(sheet);
    QCOMPARE(TSkin::Decompress(packed), sheet);
    QVERIFY(TSkin::Decompress(packed.substr(0, packed.size() - 3)).empty());
    QVERIFY(TSkin::Decompress("not a zlib stream at all").empty());
    QVERIFY(TSkin::Decompress({}).empty());
    std::string flipped = packed;
    flipped[flipped.size() / 2] ^= 0x55;
    QVERIFY(TSkin::Decompress(flipped).empty());
    // A few kilobytes that inflate past the limit are refused, not inflated.
    const std::string bomb = Pack(std::string(TSkin::kMaxSkinBytes + 1, ' '));
    QVERIFY(bomb.size() < 64 * 1024);
    QVERIFY(TSkin::Decompress(bomb).empty());
    QCOMPARE(TSkin::Decompress(Pack(std::string(TSkin::kMaxSkinBytes, ' '))).size(), TSkin::kMaxSkinBytes);
  }

  void SkinFileReplacesTheSkinOnlyWhenItYieldsOne() {
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("good.dat"));
    const QString empty = dir.filePath(QStringLiteral("empty.dat"));
    const QString broken = dir.filePath(QStringLiteral("broken.dat"));
    WriteFile(good, Pack("QLabel { color: #123456; }"));
    WriteFile(empty, Pack(""));
    WriteFile(broken, "\x78\x9c garbage");
    TSkin::ApplyBuiltIn();
    const QString builtIn = qApp->styleSheet();
    QVERIFY(!TSkin::ApplyFile(PathFromQString(empty)));
    QVERIFY(!TSkin::ApplyFile(PathFromQString(broken)));
    QVERIFY(!TSkin::ApplyFile(PathFromQString(dir.filePath(QStringLiteral("missing.dat")))));
    QCOMPARE(qApp->styleSheet(), builtIn);
    QVERIFY(TSkin::ApplyFile(PathFromQString(good)));
    QCOMPARE(qApp->styleSheet(), QStringLiteral("QLabel { color: #123456; }"));
    TSkin::ApplyBuiltIn();
  }

  void TextCrossesToQtAsUtf8OrCodePage() {
    QCOMPARE(ToQString("caf\xc3\xa9"), QString::fromUtf8("café"));
    QCOMPARE(ToQString("caf\xe9"), QString::fromUtf8("café"));
    QCOMPARE(ToQString("\x80 price"), QString::fromUtf8("€ price"));
    QCOMPARE(FromQString(QString::fromUtf8("café €")), std::string("caf\xe9 \x80"));
    QCOMPARE(FromQString(QString::fromUtf8("日本")), std::string("??"));
  }
};

HALVANE_QTEST(SkinTest);
#include "SkinTest.moc"
