// One search run at depth "1000 items" through the real main window against
// halvane-sim without added latency: wall time, analysed items per second,
// and the interface thread's longest gap between processed events.
//
//   halvane_search_run_bench [depth-index 0..9]
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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
#include "TSimProcess.h"
#include "TfrmMain.h"
#include "tests/app/TfrmMainProbe.h"

using namespace halvane;
using Clock = std::chrono::steady_clock;

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const int depth = argc > 1 ? std::clamp(std::atoi(argv[1]), 0, 9) : 9;

  QTemporaryDir folder;
  const std::string config = folder.path().toStdString() + "/bench.conf";
  std::ofstream(config) << "sites = 12\npages-per-site = 200\nkeyword = 10 bench widgets\n";
  test::TSimProcess sim(config);
  const TServiceEndpoints endpoints = SimulatedWebEndpoints(sim.Port());
  TProgramServices services = ProductionServices();
  services.LoadBrandSettings = [](const std::string&, TBrandSettings&) { return false; };
  services.NewsButtonShown = [](const TBrandSettings&) { return false; };
  services.ExitProcess = [](int) {};
  services.LoadChecksumScript();

  {
    TfrmMain frm(folder.path().toStdString() + "/", endpoints, services);
    frm.findChild<TMessageBox*>(QStringLiteral("msgMain"))->SetTestMode(true);
    frm.show();
    frm.findChild<QTimer*>(QStringLiteral("Timer1"))->stop();
    frm.findChild<QLineEdit*>(QStringLiteral("edtKeyword"))->setText(QStringLiteral("bench widgets"));
    frm.findChild<QLineEdit*>(QStringLiteral("edtDomain"))->setText(QStringLiteral("myshop.example"));
    frm.findChild<QComboBox*>(QStringLiteral("cbxItems"))->setCurrentIndex(depth);

    // A 1 ms timer on the interface thread: the longest interval between
    // two of its ticks is the longest time no event was processed.
    Clock::time_point last = Clock::now();
    Clock::duration longest{};
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
      const Clock::time_point now = Clock::now();
      longest = std::max(longest, now - last);
      last = now;
    });
    tick.start(1);

    const Clock::time_point start = Clock::now();
    last = start;
    frm.findChild<QPushButton*>(QStringLiteral("btnSearch"))->click();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    tick.stop();

    const std::size_t analysed = TfrmMainProbe::HarvestedUrls(frm) ? TfrmMainProbe::HarvestedUrls(frm)->Items().size() : 0;
    std::printf("depth index %d: %zu addresses analysed, %zu rows listed\n", depth, analysed,
                frm.findChild<TResultsModel*>(QStringLiteral("lvwItemsModel"))->Count());
    std::printf("wall time %.3f s, %.0f analysed items per second\n", seconds,
                seconds > 0 ? static_cast<double>(analysed) / seconds : 0.0);
    std::printf("longest gap between processed events: %.1f ms\n",
                std::chrono::duration<double, std::milli>(longest).count());
  }
  services.ReleaseChecksumScript();
  return 0;
}
