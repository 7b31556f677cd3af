#pragma once
// One request on a libcurl easy handle: its options from the request and the
// settings, body and headers collected in libcurl's callbacks (body capped on
// the decoded size), and the outcome as a response whose message a user can
// act on. Used by the client's worker thread only.
#include <curl/curl.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "live/TLiveClient.h"
#include "live/UrlParts.h"

namespace halvane::live {

class TTransfer {
 public:
  enum class TState { New, Robots, Queued, Waiting, Running };
  using TClock = std::chrono::steady_clock;

  TTransfer(TRequestId id, TLiveRequest request, TCompletion done, TUrlParts url);
  ~TTransfer();
  TTransfer(const TTransfer&) = delete;
  TTransfer& operator=(const TTransfer&) = delete;

  // Makes the easy handle of the next attempt through proxy ("" for none);
  // nullptr when libcurl cannot make one.
  CURL* Begin(const TNetworkSettings& settings, const std::string& proxy);
  // The outcome of the attempt that just ended with result; frees the handle.
  TLiveResponse End(CURLcode result, const TNetworkSettings& settings);
  CURL* Handle() const noexcept { return FHandle; }

  TRequestId Id() const noexcept { return FId; }
  const TLiveRequest& Request() const noexcept { return FRequest; }
  const TUrlParts& Url() const noexcept { return FUrl; }
  TCompletion TakeCompletion() { return std::move(FDone); }
  int Attempts() const noexcept { return FAttempts; }

  TState State = TState::New;
  TClock::time_point NotBefore;  // Waiting: the retry's time
  // A robots.txt fetch of the client itself: keeps the first bytes of an
  // over-long file instead of failing, and follows at most five redirects.
  bool RobotsFetch = false;

 private:
  static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self);
  static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self);
  std::int64_t BodyLimit(const TNetworkSettings& settings) const;
  void Describe(CURLcode result, const TNetworkSettings& settings, TLiveResponse& response) const;

  TRequestId FId;
  TLiveRequest FRequest;
  TCompletion FDone;
  TUrlParts FUrl;
  int FAttempts = 0;

  CURL* FHandle = nullptr;
  curl_slist* FHeaderList = nullptr;
  std::string FProxy;
  std::int64_t FLimit = 0;
  std::int64_t FBodyBytes = 0;
  std::size_t FHeaderBytes = 0;
  bool FOverLimit = false;
  bool FSinkFailed = false;
  bool FHeadersTooLarge = false;
  std::string FBody;
  std::vector<std::pair<std::string, std::string>> FHeaders;
  std::string FStatusLine;
  char FError[CURL_ERROR_SIZE] = {};
};

// "32 MiB", "512 KiB", "1000 bytes": a size for a message.
std::string DescribeSize(std::int64_t bytes);

}  // namespace halvane::live
