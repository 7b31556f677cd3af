// Filtering the live list of 10,000 rows in the real main window: the time
// from a change in the filter bar until the list and the count show it
// (goal: at most 50 ms each).
//
//   halvane_filter_bench [rows]
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "TMessageBox.h"
#include "TProgramServices.h"
#include "TResultsModel.h"
#include "TServiceEndpoints.h"
#include "TfrmMain.h"

using namespace halvane;
using Clock = std::chrono::steady_clock;

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const int rows = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
  QTemporaryDir folder;
  const std::string base = folder.path().toStdString();

  TProgramServices services = ProductionServices();
  services.LoadBrandSettings = [](const std::string&, TBrandSettings&) { return false; };
  services.NewsButtonShown = [](const TBrandSettings&) { return false; };
  services.ExitProcess = [](int) {};
  TfrmMain frm(base + "/", TServiceEndpoints{}, services);
  sources::TSources chosen;
  chosen.Engine = sources::TSearchEngine::Searxng;
  chosen.SearxngUrl = "http://127.0.0.1:9/";
  chosen.Store.Use = false;
  frm.UseSources(chosen, base + "/sources.ini");
  frm.findChild<TMessageBox*>(QStringLiteral("msgMain"))->SetTestMode(true);
  frm.show();
  frm.findChild<QTimer*>(QStringLiteral("Timer1"))->stop();

  auto* model = frm.findChild<TResultsModel*>(QStringLiteral("lvwItemsModel"));
  for (int i = 0; i < rows; ++i) {
    liverun::TLiveResult row;
    row.Url = "https://blog" + std::to_string(i % 997) + ".example/post-" + std::to_string(i);
    row.CommentsOpen = i % 3 != 0;
    row.CommentLinks = static_cast<pagetest::TCommentLinks>(i % 3);
    row.HasYourLink = i % 7 == 0;
    row.AuthorityAwaited = false;
    if (i % 11 != 0) row.Authority = i % 11;
    row.IsNew = i % 2 == 0;
    model->AddLive(row);
  }
  QApplication::processEvents();

  const auto measure = [&](const char* what, const std::function<void()>& change) {
    const Clock::time_point start = Clock::now();
    change();
    QApplication::processEvents();
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::printf("%-32s %7.1f ms  %s\n", what, ms,
                frm.findChild<QLabel*>(QStringLiteral("stpItems"))->text().toStdString().c_str());
    return ms;
  };
  double longest = 0;
  longest = std::max(longest, measure("comments open", [&] {
    frm.findChild<QComboBox*>(QStringLiteral("cbxCommentsOpen"))->setCurrentIndex(1);
  }));
  longest = std::max(longest, measure("+ links followed", [&] {
    frm.findChild<QComboBox*>(QStringLiteral("cbxCommentLinks"))->setCurrentIndex(1);
  }));
  longest = std::max(longest, measure("+ authority at least 5", [&] {
    frm.findChild<QSpinBox*>(QStringLiteral("spnMinAuthority"))->setValue(5);
  }));
  longest = std::max(longest, measure("+ new since the last run", [&] {
    frm.findChild<QCheckBox*>(QStringLiteral("chkNewOnly"))->setChecked(true);
  }));
  longest = std::max(longest, measure("show all", [&] {
    frm.findChild<QComboBox*>(QStringLiteral("cbxCommentsOpen"))->setCurrentIndex(0);
    frm.findChild<QComboBox*>(QStringLiteral("cbxCommentLinks"))->setCurrentIndex(0);
    frm.findChild<QSpinBox*>(QStringLiteral("spnMinAuthority"))->setValue(-1);
    frm.findChild<QCheckBox*>(QStringLiteral("chkNewOnly"))->setChecked(false);
  }));
  std::printf("%d rows: longest filter change %.1f ms (goal <= 50)\n", rows, longest);
  return 0;
}
