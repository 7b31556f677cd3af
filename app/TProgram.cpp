#include "app/TProgram.h"

#include <QApplication>

#include <cstring>
#include <iostream>
#include <optional>

#include "platform/ProgramFolder.h"
#include "app/TProgramServices.h"
#include "app/TfrmMain.h"
#include "sources/TSourcesFile.h"

namespace halvane {

int TProgram::Run(int argc, char** argv) { return Run(argc, argv, ProductionEndpoints()); }

namespace {

// The FILE of "--sources FILE", if given.
std::optional<std::string> SourcesArgument(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--sources") == 0) return std::string(argv[i + 1]);
  }
  return std::nullopt;
}

}  // namespace

int TProgram::Run(int argc, char** argv, const TServiceEndpoints& endpoints) {
  // The sources file: named on the command line (it must exist and be
  // sound), or the user's own, whose faults leave the program classic.
  const std::optional<std::string> named = SourcesArgument(argc, argv);
  const std::string sourcesPath = named ? *named : sources::TSourcesFile::DefaultPath();
  sources::TSources chosen;
  try {
    chosen = sources::TSourcesFile::Read(sourcesPath, named.has_value());
  } catch (const sources::TSourcesFileError& failure) {
    std::cerr << "halvane: " << failure.what() << '\n';
    if (named) return 2;
    chosen = sources::TSourcesFile::Defaults();
  }
  TProgramServices services = ProductionServices();
  services.LoadChecksumScript();
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Halvane"));
  // Closing the main window ends the process itself.
  QApplication::setQuitOnLastWindowClosed(false);
  int result = 0;
  {
    TfrmMain frmMain(platform::ProgramFolder(), endpoints, services);
    frmMain.UseSources(chosen, sourcesPath);
    frmMain.show();
    result = QApplication::exec();
  }
  services.ReleaseChecksumScript();
  return result;
}

}  // namespace halvane
