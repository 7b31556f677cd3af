#include "tools/rank/DownloadVerb.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <future>
#include <iostream>

#include "base/AddressText.h"
#include "livesetup/TListDownload.h"
#include "sources/TSourcesFile.h"
#include "tables/TTrancoListId.h"
#include "tools/rank/RankExitCodes.h"

namespace halvane::rank {
namespace {

constexpr std::int64_t kProgressStep = std::int64_t{1} << 20;  // a line per MiB

std::string Megabytes(std::int64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
  return text;
}

}  // namespace

int RunDownload(const std::vector<std::string>& args) {
  std::string sourcesPath;
  std::string out;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--sources" && i + 1 < args.size() && sourcesPath.empty()) {
      sourcesPath = args[++i];
    } else if (out.empty() && !args[i].starts_with("--")) {
      out = args[i];
    } else {
      std::cerr << "usage:" << (kDownloadUsage + 6);
      return kRankBadArguments;
    }
  }
  sources::TSources chosen;
  try {
    chosen = sourcesPath.empty() ? sources::TSourcesFile::Read(sources::TSourcesFile::DefaultPath(), false)
                                 : sources::TSourcesFile::Read(sourcesPath, true);
  } catch (const sources::TSourcesFileError& error) {
    std::cerr << "halvane-rank: " << error.what() << "\n";
    return kRankBadArguments;
  }
  if (out.empty()) out = chosen.TrancoFile.empty() ? sources::TSourcesFile::DefaultTrancoFile() : chosen.TrancoFile;
  struct stat info {};
  if (::stat(out.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    std::cerr << "halvane-rank: " << out << " is not a regular file; name the file to write the list to\n";
    return kRankBadArguments;
  }

  const std::string shownUrl = WithoutUserInfo(chosen.TrancoUrl);
  std::cerr << "downloading " << shownUrl << " to " << out << "\n";
  std::promise<std::string> finished;
  std::int64_t shown = 0;
  livesetup::TListDownload download(chosen.Network, chosen.TrancoUrl, out);
  download.Start(
      [&shown](std::int64_t bytes) {
        if (bytes - shown < kProgressStep) return;
        shown = bytes;
        std::cerr << "  " << Megabytes(bytes) << "\n";
      },
      [&finished](const std::string& error) { finished.set_value(error); });
  const std::string error = finished.get_future().get();
  if (!error.empty()) {
    std::cerr << "halvane-rank: the download failed: " << error << "; the list at " << out << " is unchanged\n";
    return kRankFailed;
  }
  std::cout << "saved " << out << "\n"
            << "cite: " << tables::TTrancoListId::CitationFor(out) << "\n";
  return kRankDone;
}

}  // namespace halvane::rank
