#pragma once
// halvane-rank download [--sources FILE] [OUT]: downloads the Tranco list
// from the command line as the Sources dialog does: from the sources file's
// tranco-url into OUT (default: its tranco path), with progress, checked
// before it replaces the old list, its id kept beside it for citing.
#include <string>
#include <vector>

namespace halvane::rank {

inline constexpr const char* kDownloadUsage = "       halvane-rank download [--sources FILE] [OUT]\n";

// args: what follows "download". The exit status: 0 the new list is in
// place, 1 the download failed (the old list stays), 2 bad arguments or
// sources file.
int RunDownload(const std::vector<std::string>& args);

}  // namespace halvane::rank
