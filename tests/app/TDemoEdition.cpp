#include "tests/app/TDemoEdition.h"
#include "tests/app/TestWindowHelpers.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <stdexcept>

#include "branding/CryptFile.h"
#include "tools/sim/Expectation.h"
#include "toolkit/TMessageBox.h"
#include "app/TResultsModel.h"
#include "classicrun/TServiceEndpoints.h"
#include "branding/WorkingFiles.h"

#ifndef HALVANE_DEMO_DIR
#error "HALVANE_DEMO_DIR is set by the build"
#endif
#ifndef HALVANE_DEMO_PORT
#error "HALVANE_DEMO_PORT is set by the build"
#endif

namespace halvane::test {

namespace {

// The shipped settings name the demo's fixed port; the test's simulator
// runs on a free one, so every address is moved there and nothing else
// changes.
std::string SettingsOnPort(const std::string& container, int port) {
  std::string plain;
  if (!DecryptSettingsBytes(container, plain)) throw std::runtime_error("the demo's dbsettings.dat does not decrypt");
  const std::string from = std::string(":") + std::to_string(HALVANE_DEMO_PORT);
  const std::string to = ":" + std::to_string(port);
  std::size_t moved = 0;
  for (std::size_t at = plain.find(from); at != std::string::npos; at = plain.find(from, at + to.size())) {
    plain.replace(at, from.size(), to);
    ++moved;
  }
  if (moved == 0) throw std::runtime_error("the demo's settings name no address on port " + from);
  std::string moved_container;
  EncryptSettingsBytes(plain, moved_container);
  return moved_container;
}

}  // namespace

std::string DemoFolder() { return HALVANE_DEMO_DIR; }

TDemoEdition::TDemoEdition()
    : Config(sim::LoadSimConfig(DemoFolder() + "/sim.conf")), Sim(DemoFolder() + "/sim.conf") {
  Web = std::make_unique<sim::TSimWeb>(Config, Sim.Port());
  for (const char* file : {"banner1.dat", "banner2.dat", "banner3.dat", "main.ico", "Updater.exe"}) {
    std::filesystem::copy_file(DemoFolder() + "/" + file, App.Folder() + file);
  }
  App.WriteFile("dbsettings.dat", SettingsOnPort(ReadWholeFile(DemoFolder() + "/dbsettings.dat"), Sim.Port()));
  App.Endpoints = SimulatedWebEndpoints(Sim.Port());
  App.RealSettingsReader = true;
  App.RealChecksumScript = true;
}

TDemoEdition::~TDemoEdition() = default;

TfrmMain& TDemoEdition::Start() { return App.Show(); }

bool TDemoEdition::LeaveWelcomePage() {
  TfrmMain& frm = App.Main();
  // A test-mode box answers OK unless told otherwise, and two OKs would
  // start the updater and close the window.
  Control<TMessageBox>(frm, "msgMain")->QueueAnswer(TMsgResult::Cancel);
  QTest::mouseClick(Control<QPushButton>(frm, "bsSkinButton1"), Qt::LeftButton);
  return QTest::qWaitFor([&] { return frm.Timer1Firings() == 1; }, 20000);
}

void TDemoEdition::Search(const std::string& keyword, const std::string& domain, int depthIndex) {
  TfrmMain& frm = App.Main();
  Control<QLineEdit>(frm, "edtKeyword")->setText(QString::fromStdString(keyword));
  Control<QLineEdit>(frm, "edtDomain")->setText(QString::fromStdString(domain));
  Control<QComboBox>(frm, "cbxItems")->setCurrentIndex(depthIndex);
  // The run happens inside the click, its requests in nested event loops.
  QTest::mouseClick(Control<QPushButton>(frm, "btnSearch"), Qt::LeftButton);
}

std::vector<sim::TExpectedRow> TDemoEdition::Rows() { return ListedRows(*Control<TResultsModel>(App.Main(), "lvwItemsModel")); }

}  // namespace halvane::test
