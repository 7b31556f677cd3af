#include "TProgram.h"

#include <QApplication>

#include "ProgramFolder.h"
#include "TProgramServices.h"
#include "TfrmMain.h"

namespace halvane {

int TProgram::Run(int argc, char** argv) { return Run(argc, argv, ProductionEndpoints()); }

int TProgram::Run(int argc, char** argv, const TServiceEndpoints& endpoints) {
  TProgramServices services = ProductionServices();
  services.LoadChecksumScript();
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Halvane"));
  // Closing the main window ends the process itself.
  QApplication::setQuitOnLastWindowClosed(false);
  int result = 0;
  {
    TfrmMain frmMain(platform::ProgramFolder(), endpoints, services);
    frmMain.show();
    result = QApplication::exec();
  }
  services.ReleaseChecksumScript();
  return result;
}

}  // namespace halvane
