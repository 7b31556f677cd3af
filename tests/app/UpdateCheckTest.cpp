#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <filesystem>
#include <fstream>

#include "tests/toolkit/QtTestMain.h"
#include "tests/app/TAppFixture.h"
#include "tests/app/TestWindowHelpers.h"
#include "toolkit/TMessageBox.h"
#include "tests/app/TLoopbackServer.h"
#include "tests/support/TSimProcess.h"

using namespace halvane;
using namespace halvane::test;

namespace {

const std::string kNoUpdates = "There's no new updates for this application!";
const std::string kQuestion230 =
    "There is a new update: (version 2.30) available for your application!. Do you want download this update now?";
const std::string kCloseQuestion =
    "To update your software the application will close to\n\rreplace some files. Do you want to update now?";


// An update server publishing version.
struct TUpdateServer {
  explicit TUpdateServer(const std::string& version)
      : Config(Write("update.version = " + version + "\n")), Sim(Config) {}
  static std::string Write(const std::string& text) {
    static QTemporaryDir dir;
    static int count = 0;
    const std::string path = dir.path().toStdString() + "/update" + std::to_string(++count) + ".conf";
    std::ofstream(path) << text;
    return path;
  }
  std::string Base() const { return "http://127.0.0.1:" + std::to_string(Sim.Port()) + "/liveupdate/halvane/"; }
  std::string Config;
  test::TSimProcess Sim;
};

// A stand-in updater that writes the arguments it got, one a line.
void InstallUpdater(TAppFixture& app) {
  app.WriteFile("Updater.exe", "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$(dirname \"$0\")/updater-args.tmp\"\n"
                               "mv \"$(dirname \"$0\")/updater-args.tmp\" \"$(dirname \"$0\")/updater-args.txt\"\n");
  std::filesystem::permissions(app.Folder() + "Updater.exe", std::filesystem::perms::owner_all);
}

}  // namespace

class UpdateCheckTest : public QObject {
  Q_OBJECT

 private slots:
  void NoUpdateForSameOrUnreadableVersions() {
    for (const char* version : {"2.20", "2.2", "2,30", "2.3.0", "2.19"}) {
      TUpdateServer server(version);
      TAppFixture app;
      app.Endpoints.UpdateBaseURL = server.Base();
      TfrmMain& frm = ShowQuiet(app);
      frm.CheckForUpdates(true);
      QVERIFY2(Control<TMessageBox>(frm, "msgMain")->Shown().empty(), version);
      frm.CheckForUpdates(false);
      QCOMPARE(Texts(*Control<TMessageBox>(frm, "msgMain")), std::vector<std::string>{kNoUpdates});
      // The copy stays in the folder, the version read as text (not split at the comma).
      QVERIFY(app.ReadFile("mainappupdate.inf").find(std::string("Version=") + version) != std::string::npos);
    }
  }

  void ServerDownIsQuietAndDropsTheStaleCopy() {
    TAppFixture app;
    app.WriteFile("mainappupdate.inf", "[APPLICATION]\r\nVersion=9.99\r\n");
    TfrmMain& frm = ShowQuiet(app);
    frm.CheckForUpdates(true);
    QVERIFY(Control<TMessageBox>(frm, "msgMain")->Shown().empty());
    QVERIFY(!app.Exists("mainappupdate.inf"));
    frm.CheckForUpdates(false);
    QCOMPARE(Texts(*Control<TMessageBox>(frm, "msgMain")), std::vector<std::string>{kNoUpdates});
  }

  void MissingUpdaterWarns() {
    TUpdateServer server("2.30");
    TAppFixture app;
    app.Endpoints.UpdateBaseURL = server.Base();
    TfrmMain& frm = ShowQuiet(app);
    frm.CheckForUpdates(true);
    QCOMPARE(Texts(*Control<TMessageBox>(frm, "msgMain")),
             (std::vector<std::string>{kQuestion230,
                                       "The updater module is missing. Please reinstall again the current version!"}));
    QCOMPARE(Control<TMessageBox>(frm, "msgMain")->Shown()[1].Kind, TMsgKind::Warning);
    QVERIFY(app.Exits.empty());
    // Cancel on the first question ends there.
    Control<TMessageBox>(frm, "msgMain")->ClearShown();
    Control<TMessageBox>(frm, "msgMain")->QueueAnswer(TMsgResult::Cancel);
    Control<QToolButton>(frm, "bsSkinSpeedButton1")->click();
    QCOMPARE(Texts(*Control<TMessageBox>(frm, "msgMain")), std::vector<std::string>{kQuestion230});
  }

  void StartUpStepChecksUpdatesForEveryEdition() {
    TUpdateServer server("2.30");
    for (const char* type : {"Free", "Master"}) {
      TAppFixture app;
      TBrandSettings settings;
      settings.BranderType = type;
      settings.MasterPublID = "halvane-demo";
      settings.MasterNewsBaseURL = "http://127.0.0.1:1/";
      app.Settings = settings;
      app.Endpoints.UpdateBaseURL = server.Base();
      TfrmMain& frm = ShowQuiet(app);
      Control<TMessageBox>(frm, "msgMain")->QueueAnswer(TMsgResult::Cancel);
      frm.Timer1Timer();
      // No news warning (quiet or no request), then the update question.
      QCOMPARE(Texts(*Control<TMessageBox>(frm, "msgMain")), std::vector<std::string>{kQuestion230});
    }
  }

  void SecondQuestionCancelKeepsRunning() {
    TUpdateServer server("2.30");
    TAppFixture app;
    app.Endpoints.UpdateBaseURL = server.Base();
    InstallUpdater(app);
    TfrmMain& frm = ShowQuiet(app);
    Control<TMessageBox>(frm, "msgMain")->QueueAnswer(TMsgResult::Ok);
    Control<TMessageBox>(frm, "msgMain")->QueueAnswer(TMsgResult::Cancel);
    frm.CheckForUpdates(false);
    QCOMPARE(Texts(*Control<TMessageBox>(frm, "msgMain")), (std::vector<std::string>{kQuestion230, kCloseQuestion}));
    QTest::qWait(200);
    QVERIFY(!app.Exists("updater-args.txt"));
    QVERIFY(app.Exits.empty());
  }

  void SecondQuestionOkStartsUpdaterAndCloses() {
    TUpdateServer server("2.30");
    TAppFixture app;
    app.Endpoints.UpdateBaseURL = server.Base();
    InstallUpdater(app);
    TfrmMain& frm = ShowQuiet(app);
    frm.CheckForUpdates(true);
    QCOMPARE(Texts(*Control<TMessageBox>(frm, "msgMain")), (std::vector<std::string>{kQuestion230, kCloseQuestion}));
    QCOMPARE(app.Exits, std::vector<int>{0});
    QTRY_VERIFY_WITH_TIMEOUT(app.Exists("updater-args.txt"), 20000);
    QCOMPARE(app.ReadFile("updater-args.txt"), server.Base() + "\n2.20\nA\n");
  }

  void UpdateClickDuringAFetchWaitsForIt() {
    TUpdateServer server("2.30");
    TLoopbackServer pages([](const std::string&) { return TLoopbackReply{200, "page", false, false, 400}; });
    TAppFixture app;
    app.Endpoints.UpdateBaseURL = server.Base();
    TfrmMain& frm = ShowQuiet(app);
    Control<TMessageBox>(frm, "msgMain")->QueueAnswer(TMsgResult::Cancel);
    bool clickReturned = false;
    QTimer::singleShot(150, [&] {
      Control<QToolButton>(frm, "bsSkinSpeedButton1")->click();
      clickReturned = true;
    });
    std::string text;
    QVERIFY(frm.FetchPage("http://" + pages.HostPort() + "/slow", text));
    QVERIFY(clickReturned);
    QVERIFY(Control<TMessageBox>(frm, "msgMain")->Shown().empty());
    QTRY_COMPARE_WITH_TIMEOUT(Texts(*Control<TMessageBox>(frm, "msgMain")), std::vector<std::string>{kQuestion230}, 20000);
  }

  // An update server that answers with endless bytes (here: 100 kB after a
  // newer version) fills no folder: past 64 KiB the check ends as "no
  // update" and the file is gone.
  void OversizedUpdateDescriptionIsNoUpdateAndNoFile() {
    TLoopbackServer server([](const std::string&) {
      return TLoopbackReply{200, "[APPLICATION]\r\nVersion=9.99\r\n" + std::string(100000, ';'), false, true, 0};
    });
    TAppFixture app;
    app.Endpoints.UpdateBaseURL = "http://" + server.HostPort() + "/liveupdate/halvane/";
    TfrmMain& frm = ShowQuiet(app);
    frm.CheckForUpdates(false);
    QCOMPARE(Texts(*Control<TMessageBox>(frm, "msgMain")), std::vector<std::string>{kNoUpdates});
    QVERIFY(!app.Exists("mainappupdate.inf"));
  }

  // An update server that accepts and says nothing: Check Updates has no
  // Stop, so the idle limit ends the check (shortened here from 30 s).
  void SilentUpdateServerEndsTheCheck() {
    TLoopbackServer server([](const std::string&) { return TLoopbackReply{200, "", true, false, 0}; });
    TAppFixture app;
    app.Endpoints.UpdateBaseURL = "http://" + server.HostPort() + "/liveupdate/halvane/";
    app.Endpoints.Limits.Update.IdleMs = 300;
    TfrmMain& frm = ShowQuiet(app);
    frm.CheckForUpdates(false);
    QCOMPARE(Texts(*Control<TMessageBox>(frm, "msgMain")), std::vector<std::string>{kNoUpdates});
    QVERIFY(!app.Exists("mainappupdate.inf"));
  }
};

HALVANE_QTEST(UpdateCheckTest);
#include "UpdateCheckTest.moc"
