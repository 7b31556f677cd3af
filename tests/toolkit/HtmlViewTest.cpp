#include <QElapsedTimer>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QUrl>

#include <string>
#include <utility>
#include <vector>

#include "tests/toolkit/QtTestMain.h"
#include "toolkit/THtmlView.h"
#include "toolkit/TShell.h"

using namespace halvane;

class HtmlViewTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { TShell::SetOpeners({}, {}); }

  void DocumentNeverLoadsWhatItNames() {
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("pic.png"));
    QImage(8, 8, QImage::Format_RGB32).save(picture);
    THtmlView view;
    view.setSearchPaths({dir.path()});
    const std::string html = "<html><body><img src=\"pic.png\"><img src=\"" +
                             QUrl::fromLocalFile(picture).toString().toStdString() +
                             "\"><img src=\"http://127.0.0.1:9/track.gif\"><p>Hello</p></body></html>";
    view.LoadHtml(html);
    QVERIFY(view.toPlainText().contains(QStringLiteral("Hello")));
    auto nothing = [](const QVariant& v) {
      return v.typeId() == QMetaType::QByteArray && v.toByteArray().isEmpty();
    };
    QVERIFY(nothing(view.loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("pic.png")))));
    QVERIFY(nothing(view.loadResource(QTextDocument::StyleSheetResource, QUrl(QStringLiteral("http://127.0.0.1:9/a.css")))));
    QTextDocument* doc = view.document();
    QVERIFY(nothing(doc->resource(QTextDocument::ImageResource, QUrl(QStringLiteral("pic.png")))));
    QVERIFY(nothing(doc->resource(QTextDocument::ImageResource, QUrl::fromLocalFile(picture))));
    QVERIFY(nothing(doc->resource(QTextDocument::ImageResource,
                                  QUrl(QStringLiteral("data:image/png;base64,iVBORw0KGgo=")))));
  }

  // Documents made to exhaust the layout (a welcome page or news body from
  // a hostile publisher or news server) are bounded before they reach it:
  // the view lays out each of them without crashing and holds what the
  // bounds let through. The time each takes is printed, not asserted.
  void HostileDocumentsAreBoundedBeforeLayout() {
    auto repeat = [](const std::string& part, int times) {
      std::string text;
      for (int i = 0; i < times; ++i) text += part;
      return text;
    };
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"tables 3000 deep", repeat("<table><tr><td>", 3000) + "core" + repeat("</td></tr></table>", 3000)},
        {"tables 1000 deep", repeat("<table><tr><td>", 1000) + "core"},
        {"100000 divs", repeat("<div>core</div>", 100000)},
        {"8 MiB", "<p>core" + std::string(8 << 20, 'a') + "</p>"},
    };
    for (const auto& [name, html] : cases) {
      THtmlView view;
      view.resize(400, 300);
      view.show();
      QElapsedTimer timer;
      timer.start();
      view.LoadHtml(html);
      QTextDocument* doc = view.document();
      doc->setTextWidth(380);
      (void)doc->size();  // the whole layout
      qInfo("%s: %lld ms", name, static_cast<long long>(timer.elapsed()));
      QVERIFY2(view.toPlainText().contains(QStringLiteral("core")), name);
      QVERIFY2(doc->blockCount() <= 10100, name);
      QVERIFY2(doc->characterCount() <= (1 << 20) + 10000, name);
    }
  }

  void CodePageDocumentShowsItsCharacters() {
    THtmlView view;
    view.LoadHtml("<p>Caf\xe9 \x80</p>");
    QCOMPARE(view.toPlainText(), QString::fromUtf8("Café €"));
  }

  void LinkClickOpensTheBrowserAndKeepsTheDocument() {
    std::vector<std::string> opened;
    TShell::SetOpeners([&](const std::string& a) { opened.push_back(a); return true; }, {});
    THtmlView view;
    view.LoadHtml("<p><a href=\"http://example.test/page?a=1\">go</a></p>");
    emit view.anchorClicked(QUrl(QStringLiteral("http://example.test/page?a=1")));
    QCOMPARE(opened.size(), std::size_t{1});
    QCOMPARE(opened[0], std::string("http://example.test/page?a=1"));
    QVERIFY(view.source().isEmpty());
    QVERIFY(view.toPlainText().contains(QStringLiteral("go")));
  }
};

HALVANE_QTEST(HtmlViewTest);
#include "HtmlViewTest.moc"
