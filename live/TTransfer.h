#pragma once
// One request on a libcurl easy handle: its options from the request and the
// settings, body and headers collected in libcurl's callbacks (body capped on
// the decoded size), and the outcome as a response whose message a user can
// act on. A redirect is a new hop of the same transfer (MoveTo): the client
// follows them itself. Used by the client's worker thread only.
#include <curl/curl.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "live/TLiveClient.h"
#include "live/UrlParts.h"

namespace halvane::live {

class TTransfer {
 public:
  enum class TState { New, Robots, Queued, Waiting, Running };
  using TClock = std::chrono::steady_clock;

  // address: the request's in the one form, url its parts.
  TTransfer(TRequestId id, TLiveRequest request, TCompletion done, std::string address, TUrlParts url);
  ~TTransfer();
  TTransfer(const TTransfer&) = delete;
  TTransfer& operator=(const TTransfer&) = delete;

  // Makes the easy handle of the next attempt through proxy ("" for none),
  // trusting the certificates in caBytes (the CA file's, read beforehand)
  // besides the system store; nullptr when libcurl cannot make one.
  CURL* Begin(const TNetworkSettings& settings, const std::string& proxy, const std::string& caBytes);
  // The outcome of the attempt that just ended with result; frees the handle.
  TLiveResponse End(CURLcode result, const TNetworkSettings& settings);
  CURL* Handle() const noexcept { return FHandle; }

  TRequestId Id() const noexcept { return FId; }
  const TLiveRequest& Request() const noexcept { return FRequest; }
  // The current hop's address and its parts.
  const std::string& Address() const noexcept { return FAddress; }
  const TUrlParts& Url() const noexcept { return FUrl; }
  // The addresses that redirected so far, the requested one first.
  const std::vector<std::string>& Hops() const noexcept { return FHops; }
  // The next hop, after an answer with status redirected to address: POST
  // becomes GET after a 303, and after a 301 or 302 as browsers do.
  void MoveTo(long status, std::string address, TUrlParts url);
  // Whether the request holds a key or password for its site: the secret
  // flag, a header that carries credentials, or user information in the
  // address. Such a request never leaves its origin. (A proxy's password
  // goes to the proxy on every hop, so it does not count.)
  bool CarriesSecret() const;
  TCompletion TakeCompletion() { return std::move(FDone); }
  int Attempts() const noexcept { return FAttempts; }

  TState State = TState::New;
  TClock::time_point NotBefore;  // Waiting: the retry's time
  // A robots.txt fetch of the client itself: keeps the first bytes of an
  // over-long file instead of failing, and follows at most five redirects.
  bool RobotsFetch = false;
  // Connections to private addresses are refused after name resolution
  // (for page fetches, unless the settings allow them).
  bool GuardPrivate = false;

 private:
  static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self);
  static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self);
  static curl_socket_t OnOpenSocket(void* self, curlsocktype purpose, curl_sockaddr* address);
  std::int64_t BodyLimit(const TNetworkSettings& settings) const;
  long TimeoutSeconds(const TNetworkSettings& settings) const;
  void Describe(CURLcode result, const TNetworkSettings& settings, TLiveResponse& response) const;

  TRequestId FId;
  TLiveRequest FRequest;
  TCompletion FDone;
  std::string FAddress;
  TUrlParts FUrl;
  std::vector<std::string> FHops;
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
  std::string FRefusedAddress;  // a private address the socket callback refused
  char FError[CURL_ERROR_SIZE] = {};
};

}  // namespace halvane::live
