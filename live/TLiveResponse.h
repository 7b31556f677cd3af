#pragma once
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace halvane::live {

enum class TLiveError {
  None,              // an answer arrived (any status)
  Aborted,           // Abort or AbortAll
  Timeout,
  Resolve,           // host name not found
  Connect,           // connection refused or reset
  Tls,               // certificate or handshake
  Proxy,             // the proxy failed
  TooLarge,          // body over the limit
  TooManyRedirects,
  Protocol,          // malformed answer
  RobotsDisallowed,  // robots.txt forbids the page
  RobotsUnavailable, // robots.txt answered 5xx or could not be fetched
  PrivateAddress,    // a page on loopback, a private or link-local network
  UnsafeRedirect,    // a request with a key redirected to another origin
  NoNetwork,         // libcurl's multi handle failed: nothing could be fetched
  Other,
};

struct TLiveResponse {
  TLiveError Error = TLiveError::None;
  // For a user: "timed out after 30 s", "HTTP 429, retry after 12 s".
  // Never holds a password or a key.
  std::string Message;
  long Status = 0;        // final HTTP status, 0 without an answer
  std::string StatusLine; // the final answer's, as received, without CR LF ("HTTP/1.1 200 OK")
  std::string FinalUrl;   // after redirects, in the one form (live/UrlForm.h)
  std::vector<std::string> Hops;  // the addresses that redirected, the requested one first
  std::vector<std::pair<std::string, std::string>> Headers;  // final answer's
  std::string Body;       // decoded
  std::string Proxy;      // the proxy used, without its user information; "" for none
  // RobotsUnavailable: the error that kept robots.txt from being read (a
  // time-out, a certificate, ...); None when it answered 429 or 5xx.
  TLiveError RobotsCause = TLiveError::None;

  bool Answered() const noexcept { return Error == TLiveError::None; }
  bool Succeeded() const noexcept { return Answered() && Status >= 200 && Status < 300; }
  // What went wrong, in words a user can act on: Message, or "HTTP 404"
  // for an answer that is not 2xx; "" for a 2xx answer.
  std::string Problem() const;
  // The first header of that name (any case), or "".
  std::string Header(std::string_view name) const;
};

}  // namespace halvane::live
