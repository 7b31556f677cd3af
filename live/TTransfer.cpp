#include "live/TTransfer.h"

#include <sys/socket.h>

#include <algorithm>
#include <utility>

#include "base/AddressText.h"
#include "base/TextScan.h"
#include "live/LiveFailure.h"
#include "live/PrivateAddress.h"
#include "live/TTransferOptions.h"

namespace halvane::live {

namespace {

constexpr std::int64_t kRobotsLimit = 512 * 1024;  // what a crawler must read at least
constexpr long kRobotsRedirects = 5;
constexpr std::size_t kHeaderLimit = 256 * 1024;
constexpr long kBufferSize = 128 * 1024;

// libcurl's own words after ours, when it has any.
std::string Detail(const char* error) { return error[0] ? std::string(" (") + error + ")" : std::string(); }

}  // namespace

TTransfer::TTransfer(TRequestId id, TLiveRequest request, TCompletion done, std::string address, TUrlParts url)
    : FId(id), FRequest(std::move(request)), FDone(std::move(done)), FAddress(std::move(address)), FUrl(std::move(url)) {}

void TTransfer::MoveTo(long status, std::string address, TUrlParts url) {
  FHops.push_back(std::move(FAddress));
  FAddress = std::move(address);
  FUrl = std::move(url);
  FAttempts = 0;
  if (FRequest.Method == "POST" && (status == 301 || status == 302 || status == 303)) {
    FRequest.Method = "GET";
    FRequest.Body.clear();
    FRequest.ContentType.clear();
  }
}

bool TTransfer::CarriesSecret() const {
  if (FRequest.CarriesSecret || WithoutUserInfo(FRequest.Url) != FRequest.Url) {
    return true;
  }
  for (const auto& [name, value] : FRequest.Headers) {
    for (const char* secret : {"Authorization", "Proxy-Authorization", "Cookie", "X-Subscription-Token", "API-OPR",
                               "X-Api-Key"}) {
      if (EqualsNoCase(name, secret)) return true;
    }
  }
  return false;
}

TTransfer::~TTransfer() {
  if (FHandle) curl_easy_cleanup(FHandle);
  curl_slist_free_all(FHeaderList);
}

std::int64_t TTransfer::BodyLimit(const TNetworkSettings& settings) const {
  if (RobotsFetch) return kRobotsLimit;
  return FRequest.MaxBodyBytes > 0 ? FRequest.MaxBodyBytes : settings.MaxBodyBytes;
}

long TTransfer::TimeoutSeconds(const TNetworkSettings& settings) const {
  return FRequest.TimeoutSeconds > 0 ? FRequest.TimeoutSeconds : settings.TimeoutSeconds;
}

CURL* TTransfer::Begin(const TNetworkSettings& settings, const std::string& proxy, const std::string& caBytes) {
  if (FHandle) curl_easy_cleanup(FHandle);
  curl_slist_free_all(FHeaderList);
  FHeaderList = nullptr;
  FHandle = curl_easy_init();
  if (!FHandle) return nullptr;
  ++FAttempts;
  FProxy = proxy;
  FLimit = BodyLimit(settings);
  FBodyBytes = 0;
  FHeaderBytes = 0;
  FOverLimit = FSinkFailed = FHeadersTooLarge = false;
  FBody.clear();
  FHeaders.clear();
  FStatusLine.clear();
  FRefusedAddress.clear();
  FError[0] = '\0';

  CURL* h = FHandle;
  curl_easy_setopt(h, CURLOPT_PRIVATE, this);
  curl_easy_setopt(h, CURLOPT_URL, FAddress.c_str());
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  // The client follows redirects itself, hop by hop, each in its host's
  // queue; only a robots.txt fetch lets libcurl follow them.
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, RobotsFetch ? 1L : 0L);
  curl_easy_setopt(h, CURLOPT_MAXREDIRS, kRobotsRedirects);
  if (GuardPrivate && FProxy.empty()) {  // through a proxy, only the proxy's address is seen
    curl_easy_setopt(h, CURLOPT_OPENSOCKETFUNCTION, &TTransfer::OnOpenSocket);
    curl_easy_setopt(h, CURLOPT_OPENSOCKETDATA, this);
  }
  const std::string& agent = settings.UserAgent.empty() ? DefaultUserAgent() : settings.UserAgent;
  curl_easy_setopt(h, CURLOPT_USERAGENT, agent.c_str());
  curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, "");  // every coding libcurl decodes
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, TimeoutSeconds(settings));
  curl_easy_setopt(h, CURLOPT_TIMEOUT, TimeoutSeconds(settings));
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_BUFFERSIZE, kBufferSize);
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, FError);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &TTransfer::OnBody);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &TTransfer::OnHeader);
  curl_easy_setopt(h, CURLOPT_HEADERDATA, this);
  // Verification is never switched off.
  curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!settings.CaFile.empty()) {
    // From memory: a CA file that turned into a FIFO can never make OpenSSL
    // wait. The system store stays trusted besides (SystemCaPath).
    curl_blob blob{const_cast<char*>(caBytes.data()), caBytes.size(), CURL_BLOB_NOCOPY};
    curl_easy_setopt(h, CURLOPT_CAINFO_BLOB, &blob);
    if (!TTransferOptions::SystemCaPath().empty()) {
      curl_easy_setopt(h, CURLOPT_CAPATH, TTransferOptions::SystemCaPath().c_str());
    }
  }
  // The settings are the only source of proxies: "" also keeps libcurl from
  // taking one from http_proxy and friends.
  curl_easy_setopt(h, CURLOPT_PROXY, FProxy.c_str());
  curl_easy_setopt(h, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);

  for (const auto& [name, value] : FRequest.Headers) {
    FHeaderList = curl_slist_append(FHeaderList, (name + ": " + value).c_str());
  }
  if (FRequest.Method == "POST") {
    if (!FRequest.ContentType.empty()) {
      FHeaderList = curl_slist_append(FHeaderList, ("Content-Type: " + FRequest.ContentType).c_str());
    }
    FHeaderList = curl_slist_append(FHeaderList, "Expect:");  // no 100-continue round trip
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(FRequest.Body.size()));
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, FRequest.Body.data());
  } else {
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
  }
  if (FHeaderList) curl_easy_setopt(h, CURLOPT_HTTPHEADER, FHeaderList);
  return h;
}

std::size_t TTransfer::OnBody(char* data, std::size_t size, std::size_t count, void* self) {
  auto* t = static_cast<TTransfer*>(self);
  const std::size_t n = size * count;
  if (t->FBodyBytes + static_cast<std::int64_t>(n) > t->FLimit) {
    if (t->RobotsFetch) {  // keep what fits, read on to the end
      const auto room = static_cast<std::size_t>(std::max<std::int64_t>(0, t->FLimit - t->FBodyBytes));
      t->FBody.append(data, std::min(room, n));
      t->FBodyBytes += static_cast<std::int64_t>(std::min(room, n));
      return n;
    }
    t->FOverLimit = true;
    return 0;
  }
  t->FBodyBytes += static_cast<std::int64_t>(n);
  long status = 0;
  curl_easy_getinfo(t->FHandle, CURLINFO_RESPONSE_CODE, &status);
  if (t->FRequest.BodySink && status >= 200 && status < 300) {
    if (!t->FRequest.BodySink(std::string_view(data, n))) {
      t->FSinkFailed = true;
      return 0;
    }
    return n;
  }
  t->FBody.append(data, n);
  return n;
}

// Checks every address libcurl connects to, after name resolution: a name
// that resolves to a private address (DNS rebinding included) is refused.
curl_socket_t TTransfer::OnOpenSocket(void* self, curlsocktype purpose, curl_sockaddr* address) {
  auto* t = static_cast<TTransfer*>(self);
  if (purpose == CURLSOCKTYPE_IPCXN && IsPrivateAddress(address->addr)) {
    t->FRefusedAddress = AddressText(address->addr);
    return CURL_SOCKET_BAD;
  }
  return ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
}

std::size_t TTransfer::OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
  auto* t = static_cast<TTransfer*>(self);
  const std::size_t n = size * count;
  const std::string_view line(data, n);
  if (line.rfind("HTTP/", 0) == 0) {  // a new answer (redirect hop, 100): keep only the last one's
    t->FHeaders.clear();
    t->FHeaderBytes = 0;
    t->FStatusLine = std::string(TrimWhiteSpace(line.substr(0, std::min<std::size_t>(n, 1024))));
    return n;
  }
  t->FHeaderBytes += n;
  if (t->FHeaderBytes > kHeaderLimit) {
    t->FHeadersTooLarge = true;
    return 0;
  }
  const auto colon = line.find(':');
  if (colon != std::string_view::npos && colon > 0) {
    t->FHeaders.emplace_back(std::string(TrimWhiteSpace(line.substr(0, colon))), std::string(TrimWhiteSpace(line.substr(colon + 1))));
  }
  return n;
}

TLiveResponse TTransfer::End(CURLcode result, const TNetworkSettings& settings) {
  TLiveResponse r;
  r.Proxy = WithoutUserInfo(FProxy);
  r.Hops = FHops;
  if (FHandle) {
    char* effective = nullptr;
    if (curl_easy_getinfo(FHandle, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective) r.FinalUrl = effective;
    curl_easy_getinfo(FHandle, CURLINFO_RESPONSE_CODE, &r.Status);
  }
  if (r.FinalUrl.empty()) r.FinalUrl = FAddress;
  r.Headers = std::move(FHeaders);
  r.StatusLine = std::move(FStatusLine);
  FHeaders.clear();
  FStatusLine.clear();
  if (result == CURLE_OK) {
    r.Body = std::move(FBody);
  } else {
    Describe(result, settings, r);
  }
  FBody.clear();
  if (FHandle) curl_easy_cleanup(FHandle);
  FHandle = nullptr;
  return r;
}

void TTransfer::Describe(CURLcode result, const TNetworkSettings& settings, TLiveResponse& r) const {
  const auto where = SplitUrl(r.FinalUrl);
  const std::string host = where ? where->Host : FUrl.Host;
  const std::string hostPort = where ? where->Host + ":" + std::to_string(where->Port) : host;
  long connectCode = 0;
  if (FHandle) curl_easy_getinfo(FHandle, CURLINFO_HTTP_CONNECTCODE, &connectCode);
  const auto set = [&r](TLiveError error, std::string message) {
    r.Error = error;
    r.Message = std::move(message);
  };
  if (!FRefusedAddress.empty()) return set(TLiveError::PrivateAddress, PrivateAddressMessage(host, FRefusedAddress));

  if (!FProxy.empty() && (result == CURLE_COULDNT_RESOLVE_PROXY || result == CURLE_PROXY ||
                          result == CURLE_COULDNT_CONNECT || connectCode >= 300)) {
    std::string why = result == CURLE_COULDNT_RESOLVE_PROXY ? "its host name was not found"
                      : connectCode >= 300 ? "it answered " + std::to_string(connectCode) + " to CONNECT " + hostPort
                      : result == CURLE_COULDNT_CONNECT ? "could not connect to it"
                                                        : std::string(FError[0] ? FError : curl_easy_strerror(result));
    set(TLiveError::Proxy, "proxy " + WithoutUserInfo(FProxy) + " failed: " + why);
    return;
  }
  switch (result) {
    case CURLE_WRITE_ERROR:
      if (FOverLimit) return set(TLiveError::TooLarge, "body of " + host + " larger than " + DescribeSize(FLimit));
      if (FSinkFailed) return set(TLiveError::Other, "the body of " + host + " could not be stored");
      if (FHeadersTooLarge) return set(TLiveError::Protocol, "headers of " + host + " larger than " + DescribeSize(kHeaderLimit));
      break;
    case CURLE_OPERATION_TIMEDOUT:
      return set(TLiveError::Timeout, host + " timed out after " + std::to_string(TimeoutSeconds(settings)) + " s");
    case CURLE_COULDNT_RESOLVE_HOST:
      return set(TLiveError::Resolve, "host " + host + " not found");
    case CURLE_COULDNT_CONNECT:
      return set(TLiveError::Connect, "could not connect to " + hostPort);
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
      return set(TLiveError::Connect, "connection to " + hostPort + " broke off" + Detail(FError));
    case CURLE_PEER_FAILED_VERIFICATION:
      return set(TLiveError::Tls, "certificate verify failed for " + host + Detail(FError));
    case CURLE_SSL_CACERT_BADFILE:
      return set(TLiveError::Tls, "CA file " + settings.CaFile + " could not be read" + Detail(FError));
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ISSUER_ERROR:
      return set(TLiveError::Tls, "TLS handshake with " + host + " failed" + Detail(FError));
    case CURLE_TOO_MANY_REDIRECTS:
      return set(TLiveError::TooManyRedirects,
                 "too many redirects (more than " + std::to_string(RobotsFetch ? kRobotsRedirects : settings.MaxRedirects) +
                     ") from " + FUrl.Host);
    case CURLE_PARTIAL_FILE:
      return set(TLiveError::Protocol, host + " closed the connection before the whole body arrived");
    case CURLE_GOT_NOTHING:
      return set(TLiveError::Protocol, host + " closed the connection without an answer");
    case CURLE_BAD_CONTENT_ENCODING:
      return set(TLiveError::Protocol, "the body of " + host + " could not be decoded" + Detail(FError));
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
      return set(TLiveError::Protocol, "malformed answer from " + host + Detail(FError));
    case CURLE_UNSUPPORTED_PROTOCOL:
      return set(TLiveError::Other, "address " + WithoutUserInfo(r.FinalUrl) + " is not http or https" + Detail(FError));
    case CURLE_URL_MALFORMAT:
      return set(TLiveError::Other, "bad address " + WithoutUserInfo(r.FinalUrl));
    default:
      break;
  }
  set(TLiveError::Other, "transfer from " + host + " failed: " + (FError[0] ? std::string(FError) : curl_easy_strerror(result)));
}

}  // namespace halvane::live
