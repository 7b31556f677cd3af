// The window's live run of "1000 items" against halvane-sim over TLS with a
// 50 ms head delay on every blog and API request: wall time, rows, and the
// interface thread's longest gap between processed events (goal < 50 ms).
// The filter bar narrows the list (authority at least 3) from the start,
// and half-way the second view (pages without a row) is shown, so both
// take every row as it comes.
//
//   halvane_live_window_bench [depth 1..10]
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "TMessageBox.h"
#include "TProgramServices.h"
#include "TResultsModel.h"
#include "TServiceEndpoints.h"
#include "TLiveSimSetup.h"
#include "TSimProcess.h"
#include "TfrmMain.h"
#include "sources/TSourcesFile.h"

using namespace halvane;
using Clock = std::chrono::steady_clock;

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const int depth = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 10) : 10;

  QTemporaryDir folder;
  const std::string base = folder.path().toStdString();
  qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(base + "/cache"));
  // The window's store, in the bench's own folder.
  qputenv("XDG_DATA_HOME", QByteArray::fromStdString(base + "/data"));
  std::ofstream(base + "/bench.conf") << "sites = 24\npages-per-site = 200\nkeyword = 10 bench widgets\n";
  test::TSimProcess sim(base + "/bench.conf");
  const std::string url = sim.HttpsServiceUrl();
  if (std::system(("curl -fsS --cacert '" + sim.CaFile() + "' -o '" + base + "/tranco.csv' " + url + "/top-1m.csv")
                      .c_str()) != 0)
    return 1;
  std::ofstream(base + "/sources.ini")
      << "[search]\nengine = searxng\nsearxng-url = " << url << "/\n[authority]\nsource = openpagerank\n"
      << "openpagerank-url = " << url << "/v1/domains/bulk\nopenpagerank-key = sim-opr-key\n[ranking]\n"
      << "source = tranco\ntranco = " << base << "/tranco.csv\n[pages]\ntest = modern\n[network]\nparallel = 8\n"
      << "per-host = 2\nhost-delay-ms = 0\nca-file = " << sim.CaFile() << "\nprivate-addresses = allow\n";
  sim.SetFaults(test::TLiveSimSetup::BlogRules(24, "head-delay:50") +
                          "format=json head-delay:50\n/v1/domains/bulk head-delay:50");

  TProgramServices services = ProductionServices();
  services.LoadBrandSettings = [](const std::string&, TBrandSettings&) { return false; };
  services.NewsButtonShown = [](const TBrandSettings&) { return false; };
  services.ExitProcess = [](int) {};
  {
    TfrmMain frm(base + "/", SimulatedWebEndpoints(sim.Port()), services);
    frm.UseSources(sources::TSourcesFile::Read(base + "/sources.ini", true), base + "/sources.ini");
    frm.findChild<TMessageBox*>(QStringLiteral("msgMain"))->SetTestMode(true);
    frm.show();
    frm.findChild<QTimer*>(QStringLiteral("Timer1"))->stop();
    frm.findChild<QLineEdit*>(QStringLiteral("edtKeyword"))->setText(QStringLiteral("bench widgets"));
    frm.findChild<QLineEdit*>(QStringLiteral("edtDomain"))->setText(QStringLiteral("myshop.example"));
    frm.findChild<QComboBox*>(QStringLiteral("cbxItems"))->setCurrentIndex(depth - 1);
    frm.findChild<QSpinBox*>(QStringLiteral("spnMinAuthority"))->setValue(3);
    auto* views = frm.findChild<QTabBar*>(QStringLiteral("tabViews"));

    // A 1 ms timer on the interface thread: the longest interval between
    // two of its ticks is the longest time no event was processed.
    Clock::time_point last = Clock::now();
    Clock::duration longest{};
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
      const Clock::time_point now = Clock::now();
      longest = std::max(longest, now - last);
      last = now;
      if (views->currentIndex() == 0 && frm.findChild<TResultsModel*>(QStringLiteral("lvwItemsModel"))->Count() >= 50) {
        views->setCurrentIndex(1);
      }
      if (frm.findChild<QPushButton*>(QStringLiteral("btnSearch"))->text() == QStringLiteral("Search") && !frm.LiveRunActive()) QApplication::quit();
    });
    const Clock::time_point start = Clock::now();
    frm.findChild<QPushButton*>(QStringLiteral("btnSearch"))->click();
    last = Clock::now();
    tick.start(1);
    QApplication::exec();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("depth %d: %zu rows listed in %.2f s\n", depth, frm.findChild<TResultsModel*>(QStringLiteral("lvwItemsModel"))->Count(), seconds);
    std::printf("status: %s\n", frm.findChild<QLabel*>(QStringLiteral("MainStatusPanel"))->text().toStdString().c_str());
    std::printf("longest gap between processed events: %.1f ms (goal < 50)\n",
                std::chrono::duration<double, std::milli>(longest).count());
  }
  return 0;
}
