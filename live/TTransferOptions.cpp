#include "live/TTransferOptions.h"

#include <curl/curl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>

#include "base/RegularFile.h"

namespace halvane::live {

namespace {

constexpr std::uint64_t kLargestCaFile = 16 * 1024 * 1024;

TNetworkSettings Normalised(TNetworkSettings s) {
  s.Parallel = std::clamp(s.Parallel, 1, 16);
  s.PerHost = std::clamp(s.PerHost, 1, s.Parallel);
  s.HostDelayMs = std::max(s.HostDelayMs, 0);
  s.TimeoutSeconds = std::max(s.TimeoutSeconds, 1);
  s.MaxRedirects = std::max(s.MaxRedirects, 0);
  if (s.MaxBodyBytes <= 0) s.MaxBodyBytes = TNetworkSettings{}.MaxBodyBytes;
  return s;
}

}  // namespace

TTransferOptions::TTransferOptions(TNetworkSettings settings) : FSettings(Normalised(std::move(settings))) {
  std::string error;
  if (!FSettings.CaFile.empty() && !ReadRegularFile(FSettings.CaFile, kLargestCaFile, FCaBytes, error)) {
    const std::string named = FSettings.CaFile + ": ";  // the file is named once
    if (error.rfind(named, 0) == 0) error.erase(0, named.size());
    FCaError = "CA file " + FSettings.CaFile + " could not be read: " + error;
  }
}

std::string TTransferOptions::NextProxy() {
  if (FSettings.Proxies.empty()) return {};
  return FSettings.Proxies[FNextProxy++ % FSettings.Proxies.size()];
}

const std::string& TTransferOptions::SystemCaPath() {
  static const std::string path = [] {
    std::string found;
    if (CURL* probe = curl_easy_init()) {
      char* builtIn = nullptr;
      if (curl_easy_getinfo(probe, CURLINFO_CAPATH, &builtIn) == CURLE_OK && builtIn) found = builtIn;
      curl_easy_cleanup(probe);
    }
    struct stat info {};
    if (found.empty() && stat("/etc/ssl/certs", &info) == 0 && S_ISDIR(info.st_mode)) found = "/etc/ssl/certs";
    return found;
  }();
  return path;
}

}  // namespace halvane::live
