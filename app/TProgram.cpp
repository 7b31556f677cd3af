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

bool HelpAsked(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return true;
  }
  return false;
}

}  // namespace

const char* TProgram::HelpText() {
  return "usage: halvane [--sources FILE]\n"
         "\n"
         "Finds WordPress pages for a keyword whose comment links are followed, and\n"
         "shows their authority, traffic rank and whether they link to your domain.\n"
         "\n"
         "  --sources FILE  live mode's sources file (default: ~/.config/halvane/sources.ini)\n"
         "  --help          this text\n"
         "\n"
         "Live mode searches today's web: a SearXNG instance or the Brave Search API,\n"
         "Open PageRank or an authority table, and the Tranco list. Press Sources in\n"
         "the window to choose them (the file is written for you), or write the file\n"
         "by hand. Without a sources file the program runs as the classic edition.\n";
}

int TProgram::Run(int argc, char** argv, const TServiceEndpoints& endpoints) {
  if (HelpAsked(argc, argv)) {
    std::cout << HelpText();
    return 0;
  }
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
