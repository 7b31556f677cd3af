// halvane-harvest: live search runs and the store's verbs from the command
// line (no window, no Qt).
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "livesetup/LiveRunParts.h"
#include "sources/TSourceRegistry.h"
#include "sources/TSourcesFile.h"
#include "tools/harvest/HarvestCommand.h"
#include "tools/harvest/HarvestHelp.h"
#include "tools/harvest/RecheckCommand.h"
#include "tools/harvest/StoreVerbs.h"

namespace {

std::atomic<bool> gInterrupted{false};

void OnInterrupt(int) {
  gInterrupted = true;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace halvane;
  using harvest::TVerb;
  std::string error;
  const std::optional<harvest::THarvestOptions> options =
      harvest::ParseHarvestArguments(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    std::cerr << "halvane-harvest: " << error << '\n' << harvest::kHarvestUsage;
    return harvest::kHarvestBadArguments;
  }
  if (options->Help) {
    std::cout << harvest::HelpText(options->Verb);
    return harvest::kHarvestFinished;
  }

  const bool named = !options->SourcesFile.empty();
  const std::string path = named ? options->SourcesFile : sources::TSourcesFile::DefaultPath();
  sources::TSources chosen;
  try {
    chosen = sources::TSourcesFile::Read(path, named);
  } catch (const sources::TSourcesFileError& failure) {
    std::cerr << "halvane-harvest: " << failure.what() << '\n';
    return harvest::kHarvestBadArguments;
  }

  const bool storeOnly =
      options->Verb == TVerb::Blacklist || options->Verb == TVerb::Links || options->Verb == TVerb::History;
  const bool storeNeeded = storeOnly || options->Verb == TVerb::Recheck;
  std::unique_ptr<store::TStore> store = harvest::OpenHarvestStore(*options, chosen.Store, storeNeeded, error);
  if (!store && !error.empty()) {
    std::cerr << "halvane-harvest: " << error << '\n';
    return harvest::kHarvestSourceFailed;
  }
  switch (options->Verb) {
    case TVerb::Blacklist: return harvest::RunBlacklist(*options, *store, std::cout, std::cerr);
    case TVerb::Links: return harvest::RunLinks(*options, *store, std::cout, std::cerr);
    case TVerb::History: return harvest::RunHistory(*options, *store, std::cout, std::cerr);
    default: break;
  }

  if (!chosen.LiveMode()) {
    std::error_code ignored;
    if (!named && !std::filesystem::exists(path, ignored)) {
      std::cerr << "halvane-harvest: no sources file at " << path
                << "; write one (see README) or pass --sources\n";
    } else {
      std::cerr << "halvane-harvest: " << path << ": [search] engine is classic; halvane-harvest needs "
                << sources::TSourceRegistry::LiveEngineNames() << '\n';
    }
    return harvest::kHarvestBadArguments;
  }
  if (options->Parallel) chosen.Network.Parallel = *options->Parallel;

  std::unique_ptr<liverun::TLiveRunParts> parts = livesetup::MakeLiveRunParts(chosen, error);
  if (!parts) {
    std::cerr << "halvane-harvest: " << error << '\n';
    return harvest::kHarvestSourceFailed;
  }

  // The first Ctrl-C stops the run and keeps its rows; a second one ends
  // the program at once.
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  winsize window{};
  const std::size_t width = ioctl(STDERR_FILENO, TIOCGWINSZ, &window) == 0 ? window.ws_col : 0;
  const auto style = isatty(STDERR_FILENO) ? harvest::TProgressReport::TStyle::Bar
                                           : harvest::TProgressReport::TStyle::Lines;
  if (!options->Quiet) {
    for (const std::string& note : parts->Notes) std::cerr << note << '\n';
  }
  if (options->Verb == TVerb::Recheck) {
    return harvest::RunRecheck(*options, *parts->Pages, *store, {std::cout, std::cerr, style, width}, gInterrupted);
  }
  return harvest::RunHarvest(*options, *parts, {std::cout, std::cerr, style, width}, gInterrupted, store.get());
}
