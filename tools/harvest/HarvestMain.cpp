// halvane-harvest: a live search run from the command line (no window, no Qt).
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "liverun/HarvestCommand.h"
#include "livesetup/LiveRunParts.h"
#include "sources/TSourcesFile.h"

namespace {

std::atomic<bool> gInterrupted{false};

void OnInterrupt(int) {
  gInterrupted = true;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace halvane;
  std::string error;
  const std::optional<liverun::THarvestOptions> options =
      liverun::ParseHarvestArguments(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    std::cerr << "halvane-harvest: " << error << '\n' << liverun::kHarvestUsage;
    return liverun::kHarvestBadArguments;
  }

  const bool named = !options->SourcesFile.empty();
  const std::string path = named ? options->SourcesFile : sources::TSourcesFile::DefaultPath();
  sources::TSources chosen;
  try {
    chosen = sources::TSourcesFile::Read(path, named);
  } catch (const sources::TSourcesFileError& failure) {
    std::cerr << "halvane-harvest: " << failure.what() << '\n';
    return liverun::kHarvestBadArguments;
  }
  if (!chosen.LiveMode()) {
    std::cerr << "halvane-harvest: " << path
              << ": [search] engine is classic; halvane-harvest needs searxng or brave\n";
    return liverun::kHarvestBadArguments;
  }
  if (options->Parallel) chosen.Network.Parallel = *options->Parallel;

  std::unique_ptr<liverun::TLiveRunParts> parts = livesetup::MakeLiveRunParts(chosen, error);
  if (!parts) {
    std::cerr << "halvane-harvest: " << error << '\n';
    return liverun::kHarvestSourceFailed;
  }

  // The first Ctrl-C stops the run and keeps its rows; a second one ends
  // the program at once.
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  const auto style = isatty(STDERR_FILENO) ? liverun::TProgressReport::TStyle::Bar
                                           : liverun::TProgressReport::TStyle::Lines;
  if (!options->Quiet) {
    for (const std::string& note : parts->Notes) std::cerr << note << '\n';
  }
  return liverun::RunHarvest(*options, *parts, {std::cout, std::cerr, style}, gInterrupted);
}
