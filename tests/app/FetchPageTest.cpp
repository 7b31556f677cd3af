#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <filesystem>
#include <future>
#include <thread>

#include "net/EStreamError.h"
#include "tests/toolkit/QtTestMain.h"
#include "tests/app/TAppFixture.h"
#include "toolkit/TGauge.h"
#include "tests/app/TLoopbackServer.h"
#include "tests/app/TestWindowHelpers.h"

using namespace halvane;
using namespace halvane::test;

namespace {

const QString kDone = QStringLiteral("Process completed sucessfull!");
const QString kFailed = QStringLiteral("Connection error, check if you are connected and url exists.");

}  // namespace

class FetchPageTest : public QObject {
  Q_OBJECT

 private slots:
  void StopSetMeansNoRequestNoStatusNoFile() {
    TLoopbackServer server([](const std::string&) { return TLoopbackReply{200, "x"}; });
    TAppFixture app;
    TfrmMain& frm = app.Show();
    Control<QLabel>(frm, "MainStatusPanel")->setText(QStringLiteral("before"));
    TfrmMainProbe::StopRequested(frm) = true;
    std::string text = "old";
    QVERIFY(!frm.FetchPage("http://" + server.HostPort() + "/page", text));
    QCOMPARE(Control<QLabel>(frm, "MainStatusPanel")->text(), QStringLiteral("before"));
    QVERIFY(server.Targets().empty());
    QVERIFY(!app.Exists("test.html"));
  }

  void BodyComesBackAsCrLfLinesAndTheFileIsGone() {
    TAppFixture app;
    std::atomic<bool> fileDuringRequest{false};
    TLoopbackServer server([&](const std::string& target) {
      fileDuringRequest = app.Exists("test.html");
      if (target == "/lf") return TLoopbackReply{200, "one\ntwo\nthree"};
      if (target == "/mixed") return TLoopbackReply{200, "a\r\nb\rc\n\nd\r\n"};
      if (target == "/nul") return TLoopbackReply{200, std::string("abc\0def\nghi", 11)};
      if (target == "/empty") return TLoopbackReply{200, ""};
      return TLoopbackReply{404, "<html>not here</html>"};
    });
    TfrmMain& frm = app.Show();
    const std::string base = "http://" + server.HostPort();
    std::string text;
    QVERIFY(frm.FetchPage(base + "/lf", text));
    QCOMPARE(text, std::string("one\r\ntwo\r\nthree\r\n"));
    QCOMPARE(Control<QLabel>(frm, "MainStatusPanel")->text(), kDone);
    QVERIFY(fileDuringRequest);
    QVERIFY(!app.Exists("test.html"));
    QVERIFY(frm.FetchPage(base + "/mixed", text));
    QCOMPARE(text, std::string("a\r\nb\r\nc\r\n\r\nd\r\n"));
    QVERIFY(frm.FetchPage(base + "/nul", text));
    QCOMPARE(text, std::string("abc\r\n"));
    QVERIFY(frm.FetchPage(base + "/empty", text));
    QCOMPARE(text, std::string());
    // An error status is a failure although the server sent a body.
    QVERIFY(!frm.FetchPage(base + "/missing", text));
    QCOMPARE(Control<QLabel>(frm, "MainStatusPanel")->text(), kFailed);
    QVERIFY(!app.Exists("test.html"));
    QVERIFY(!frm.FetchPage("http://127.0.0.1:1/refused", text));
    QCOMPARE(Control<QLabel>(frm, "MainStatusPanel")->text(), kFailed);
    QVERIFY(!frm.FetchPage("https://" + server.HostPort() + "/lf", text));
    QCOMPARE(Control<QLabel>(frm, "MainStatusPanel")->text(), kFailed);
    QVERIFY(!app.Exists("test.html"));
  }

  void StatusShowsTheAddressWhileTheRequestRuns() {
    TLoopbackServer server([](const std::string&) { return TLoopbackReply{200, "x", false, false, 200}; });
    TAppFixture app;
    TfrmMain& frm = app.Show();
    const std::string address = "http://" + server.HostPort() + "/slow";
    QString during;
    QTimer::singleShot(80, [&] { during = Control<QLabel>(frm, "MainStatusPanel")->text(); });
    std::string text;
    QVERIFY(frm.FetchPage(address, text));
    QCOMPARE(during, QStringLiteral("Getting URL: ") + QString::fromStdString(address) + QStringLiteral("..."));
  }

  void GaugeFollowsTheTransfer() {
    TLoopbackServer server([](const std::string& target) {
      TLoopbackReply reply{200, std::string(5000, 'x')};
      reply.NoLength = target == "/unknown";
      return reply;
    });
    TAppFixture app;
    TfrmMain& frm = app.Show();
    std::string text;
    QVERIFY(frm.FetchPage("http://" + server.HostPort() + "/known", text));
    QCOMPARE(Control<TGauge>(frm, "MainGauge")->MaxValue(), 5000LL);
    QCOMPARE(Control<TGauge>(frm, "MainGauge")->Progress(), 5000LL);
    QCOMPARE(Control<TGauge>(frm, "MainGauge")->text(), QStringLiteral("100%"));
    QVERIFY(frm.FetchPage("http://" + server.HostPort() + "/unknown", text));
    QCOMPARE(text.size(), std::size_t{5002});
    QCOMPARE(Control<TGauge>(frm, "MainGauge")->MaxValue(), 0LL);
    QCOMPARE(Control<TGauge>(frm, "MainGauge")->Progress(), 0LL);
  }

  void StopEndsARequestToASilentServer() {
    TLoopbackServer server([](const std::string&) { return TLoopbackReply{200, "", true}; });
    TAppFixture app;
    TfrmMain& frm = app.Show();
    QTimer::singleShot(150, [&] { TfrmMainProbe::StopRequested(frm) = true; });
    QElapsedTimer clock;
    clock.start();
    std::string text;
    QVERIFY(!frm.FetchPage("http://" + server.HostPort() + "/silent", text));
    QVERIFY(clock.elapsed() < 5000);
    QVERIFY(Control<QLabel>(frm, "MainStatusPanel")->text() == QStringLiteral("Process aborted!") || Control<QLabel>(frm, "MainStatusPanel")->text() == kFailed);
    QVERIFY(!app.Exists("test.html"));
    QVERIFY(!frm.FetchInProgress());
  }

  void PageFileThatCannotBeCreatedIsRaisedBeforeAnyRequest() {
    TLoopbackServer server([](const std::string&) { return TLoopbackReply{200, "x"}; });
    TAppFixture app;
    std::filesystem::create_directory(app.Folder() + "test.html");
    TfrmMain& frm = app.Show();
    Control<QLabel>(frm, "MainStatusPanel")->setText(QStringLiteral("before"));
    std::string text;
    QVERIFY_THROWS_EXCEPTION(EStreamError, frm.FetchPage("http://" + server.HostPort() + "/x", text));
    QCOMPARE(Control<QLabel>(frm, "MainStatusPanel")->text(), QStringLiteral("before"));
    QVERIFY(server.Targets().empty());
    // The client is free again afterwards.
    std::filesystem::remove(app.Folder() + "test.html");
    QVERIFY(frm.FetchPage("http://" + server.HostPort() + "/x", text));
  }

  void WorkerAndInterfaceThreadTakeTurnsWhileEventsKeepFlowing() {
    // "/slow" is held until the interface thread has handled three timer
    // events while it waited for its turn (a minute is only a safety limit).
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    TLoopbackServer server([released](const std::string& target) {
      if (target == "/slow") released.wait_for(std::chrono::minutes(1));
      return TLoopbackReply{200, target, false, false, 0};
    });
    TAppFixture app;
    TfrmMain& frm = app.Show();
    // The start-up check fetches on the interface thread too: over before
    // the worker takes its turn, or the check would wait out "/slow" inside
    // the wait below.
    QTRY_COMPARE(frm.Timer1Firings(), 1);
    const std::string base = "http://" + server.HostPort();
    std::atomic<bool> workerFetched{false};
    std::string workerText;
    std::thread worker([&] { workerFetched = frm.FetchPage(base + "/slow", workerText); });
    QTRY_COMPARE(server.Targets().size(), std::size_t{1});
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&] {
      if (++ticks == 3) release.set_value();
    });
    ticker.start(20);
    std::string text;
    QVERIFY(frm.FetchPage(base + "/fast", text));
    worker.join();
    QVERIFY(workerFetched);
    QCOMPARE(workerText, std::string("/slow\r\n"));
    QCOMPARE(text, std::string("/fast\r\n"));
    // The interface thread waited for its turn and kept handling events.
    QCOMPARE(server.Targets(), (std::vector<std::string>{"/slow", "/fast"}));
    QVERIFY(ticks >= 3);
    QTest::qWait(0);
    QCOMPARE(Control<QLabel>(frm, "MainStatusPanel")->text(), kDone);
  }
};

HALVANE_QTEST(FetchPageTest);
#include "FetchPageTest.moc"
