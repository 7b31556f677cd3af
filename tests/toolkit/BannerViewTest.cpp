#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include "tests/toolkit/QtTestMain.h"
#include "toolkit/TBannerView.h"
#include "toolkit/TGauge.h"
#include "toolkit/TLinkLabel.h"
#include "toolkit/TShell.h"

using namespace halvane;

namespace {

QByteArray Encode(int width, int height, const char* format) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::darkCyan);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return bytes;
}

}  // namespace

class BannerViewTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { TShell::SetOpeners({}, {}); }

  void ExtensionChoosesTheDecoder() {
    QCOMPARE(TBannerView::FormatForFileName("ad.JPG"), QByteArray("jpeg"));
    QCOMPARE(TBannerView::FormatForFileName("c:\\ads\\ad.jpeg"), QByteArray("jpeg"));
    QCOMPARE(TBannerView::FormatForFileName("ad.bmp"), QByteArray("bmp"));
    QCOMPARE(TBannerView::FormatForFileName("ad.ico"), QByteArray("ico"));
    QCOMPARE(TBannerView::FormatForFileName("banner.gif.jpg"), QByteArray("jpeg"));
    QVERIFY(TBannerView::FormatForFileName("ad.wmf").isEmpty());
    QVERIFY(TBannerView::FormatForFileName("ad").isEmpty());
  }

  void StillViewDecodesByTheGivenFormatAndSizesItself() {
    TBannerView view(TBannerView::TKind::Still);
    QVERIFY(view.LoadPicture(Encode(500, 300, "JPEG"), "jpeg"));
    QCOMPARE(view.size(), QSize(500, 300));
    QVERIFY(view.LoadPicture(Encode(40, 20, "BMP"), "bmp"));
    QCOMPARE(view.size(), QSize(40, 20));
    // The content is not sniffed: PNG bytes behind a .jpg name do not decode.
    QVERIFY(!view.LoadPicture(Encode(40, 20, "PNG"), "jpeg"));
    QVERIFY(!view.HasPicture());
    QVERIFY(!view.LoadPicture(QByteArrayLiteral("\xff\xd8\xff\xe0 truncated"), "jpeg"));
    QVERIFY(!view.LoadPicture(QByteArray(), "jpeg"));
    QVERIFY(!view.LoadPicture(Encode(40, 20, "BMP"), QByteArray()));
  }

  void HugeDeclaredPictureIsRefused() {
    // A BMP header that claims 20000 x 20000 pixels.
    QByteArray bmp = Encode(2, 2, "BMP");
    auto put32 = [&](int at, qint32 v) {
      for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<char>((v >> (8 * i)) & 0xff);
    };
    put32(18, 20000);
    put32(22, 20000);
    TBannerView view(TBannerView::TKind::Still);
    QVERIFY(!view.LoadPicture(bmp, "bmp"));
  }

  void AnimatedViewPlaysAGif() {
    QFile file(QStringLiteral(HALVANE_TEST_DATA "/toolkit/two-frames.gif"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    TBannerView view(TBannerView::TKind::Animated);
    QVERIFY(view.LoadPicture(file.readAll(), "gif"));
    QCOMPARE(view.size(), QSize(98, 40));
    QVERIFY(view.IsAnimating());
    QVERIFY(!view.LoadPicture(Encode(10, 10, "PNG"), "gif"));
    QVERIFY(!view.IsAnimating());
  }

  void ClickIsAPressAndReleaseInside() {
    TBannerView view(TBannerView::TKind::Still);
    view.resize(50, 50);
    QSignalSpy clicked(&view, &TBannerView::Clicked);
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(clicked.count(), 1);
    QTest::mouseClick(&view, Qt::RightButton, {}, QPoint(10, 10));
    QCOMPARE(clicked.count(), 1);
  }

  void LinkLabelOpensItsAddressAndRightAlignedKeepsItsRightEdge() {
    std::string opened;
    TShell::SetOpeners({}, [&](const std::string& a) { opened = a; return true; });
    TLinkLabel link;
    link.setAlignment(Qt::AlignRight);
    link.setGeometry(774, 10, 34, 14);
    link.SetCaption("A much longer caption");
    QCOMPARE(link.geometry().right(), 807);
    QVERIFY(link.width() > 34);
    link.SetAddress("http://links.test/");
    QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(3, 3));
    QCOMPARE(opened, std::string("http://links.test/"));
  }

  void GaugeClampsToItsRange() {
    TGauge gauge;
    QCOMPARE(gauge.MaxValue(), 100LL);
    gauge.SetProgress(150);
    QCOMPARE(gauge.Progress(), 100LL);
    gauge.SetMaxValue(4000);
    gauge.SetProgress(1000);
    QCOMPARE(gauge.value(), 25);
    gauge.SetProgress(-5);
    QCOMPARE(gauge.Progress(), 0LL);
    gauge.SetMaxValue(0);
    gauge.SetProgress(77);
    QCOMPARE(gauge.Progress(), 0LL);
    QCOMPARE(gauge.value(), 0);
  }
};

HALVANE_QTEST(BannerViewTest);
#include "BannerViewTest.moc"
