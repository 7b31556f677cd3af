#include "liverun/TListDownload.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "live/TLiveClient.h"
#include "tables/TTableError.h"
#include "tables/TTrancoList.h"
#include "tables/TableText.h"

namespace halvane::liverun {
namespace {

// A Tranco zip is about 10 MB, a full CSV list about 90 MB.
constexpr std::int64_t kMaxListBytes = std::int64_t{512} << 20;

}  // namespace

std::string CheckTrancoList(const std::string& path) {
  try {
    tables::TTrancoList::Open(path, tables::DefaultCacheDir());
    return {};
  } catch (const tables::TTableError& failure) {
    return failure.what();
  }
}

TListDownload::TListDownload(live::TNetworkSettings settings, std::string url, std::string target)
    : FUrl(std::move(url)), FTarget(std::move(target)) {
  settings.MaxBodyBytes = kMaxListBytes;
  FClient = std::make_unique<live::TLiveClient>(std::move(settings));
}

TListDownload::~TListDownload() {
  FCancelled = true;
  FClient.reset();  // joins its thread; pending handlers are not called
  std::error_code ignored;
  std::filesystem::remove(PartPath(), ignored);
}

void TListDownload::Start(TProgress progress, TDone done) {
  FDone = std::move(done);
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(FTarget).parent_path(), ignored);
  auto file = std::make_shared<std::ofstream>(PartPath(), std::ios::binary | std::ios::trunc);
  if (!*file) {
    FDone("cannot write " + PartPath());
    return;
  }
  auto bytes = std::make_shared<std::int64_t>(0);
  live::TLiveRequest request;
  request.Url = FUrl;
  request.Kind = live::TRequestKind::Api;
  request.MaxBodyBytes = kMaxListBytes;
  request.BodySink = [this, file, bytes, progress](std::string_view piece) {
    if (FCancelled) return false;
    file->write(piece.data(), static_cast<std::streamsize>(piece.size()));
    *bytes += static_cast<std::int64_t>(piece.size());
    if (progress) progress(*bytes);
    return static_cast<bool>(*file);
  };
  FClient->Submit(std::move(request), [this, file](live::TLiveResponse response) {
    file->close();
    if (!response.Answered()) {
      Finish(0, response.Message.empty() ? "the download failed" : response.Message);
    } else if (!response.Succeeded()) {
      Finish(response.Status, "HTTP " + std::to_string(response.Status) + " from " + FUrl);
    } else if (!*file) {
      Finish(0, "cannot write " + PartPath());
    } else {
      Finish(response.Status, {});
    }
  });
}

void TListDownload::Finish(long, const std::string& failure) {
  std::error_code ignored;
  if (FCancelled) {
    std::filesystem::remove(PartPath(), ignored);
    FDone("cancelled");
    return;
  }
  std::string error = failure;
  if (error.empty()) error = CheckTrancoList(PartPath());
  if (error.empty()) {
    std::error_code renamed;
    std::filesystem::rename(PartPath(), FTarget, renamed);
    if (renamed) error = "cannot replace " + FTarget + ": " + renamed.message();
  }
  if (!error.empty()) std::filesystem::remove(PartPath(), ignored);
  FDone(error);
}

void TListDownload::Cancel() {
  FCancelled = true;
  FClient->AbortAll();
}

}  // namespace halvane::liverun
