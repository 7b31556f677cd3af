#include "livesetup/TListDownload.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "base/AddressText.h"
#include "live/TLiveClient.h"
#include "net/HttpDate.h"
#include "tables/TTableError.h"
#include "tables/TTrancoList.h"
#include "tables/TTrancoListId.h"
#include "tables/TableText.h"

namespace halvane::livesetup {
namespace {

// A Tranco zip is about 10 MB, a full CSV list about 90 MB.
constexpr std::int64_t kMaxListBytes = std::int64_t{512} << 20;
// An id is five letters and digits.
constexpr std::int64_t kMaxIdBytes = 1024;

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
    FDone("cannot write " + PartPath() + ": " + std::strerror(errno));
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
      Finish(response.Message.empty() ? "the download failed" : response.Message, {}, {});
    } else if (!response.Succeeded()) {
      Finish("HTTP " + std::to_string(response.Status) + " from " + WithoutUserInfo(FUrl), {}, {});
    } else if (!*file) {
      Finish("cannot write " + PartPath(), {}, {});
    } else {
      AskId(response.Header("Last-Modified"));
    }
  });
}

std::string TListDownload::IdUrl(const std::string& listUrl) {
  const std::size_t scheme = listUrl.find("://");
  const std::size_t start = scheme == std::string::npos ? 0 : scheme + 3;
  return listUrl.substr(0, listUrl.find_first_of("/?#", start)) + "/top-1m-id";
}

void TListDownload::AskId(const std::string& lastModified) {
  if (FCancelled) return Finish({}, {}, {});
  live::TLiveRequest request;
  request.Url = IdUrl(FUrl);
  request.Kind = live::TRequestKind::Api;
  request.MaxBodyBytes = kMaxIdBytes;
  FClient->Submit(std::move(request), [this, lastModified](live::TLiveResponse response) {
    // No id is no failure: the date stands in for it.
    Finish({}, response.Succeeded() ? response.Body : std::string(), lastModified);
  });
}

void TListDownload::Finish(const std::string& failure, const std::string& idAnswer, const std::string& lastModified) {
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
  if (!error.empty()) {
    std::filesystem::remove(PartPath(), ignored);
    FDone(error);
    return;
  }
  tables::TTrancoListId id;
  id.Id = tables::TTrancoListId::IdFromAnswer(idAnswer).value_or("");
  if (const std::optional<std::int64_t> when = ParseHttpDate(lastModified)) id.Date = tables::TTrancoListId::DateOf(*when);
  // An id file of an older list must not stay beside the new one.
  std::filesystem::remove(tables::TTrancoListId::PathFor(FTarget), ignored);
  FDone(id.Id.empty() && id.Date.empty() ? std::string() : id.Write(FTarget));
}

void TListDownload::Cancel() {
  FCancelled = true;
  FClient->AbortAll();
}

}  // namespace halvane::livesetup
