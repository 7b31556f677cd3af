#pragma once
#include <stdexcept>
#include <string>

namespace halvane {

enum class THttpErrorKind {
  HttpsRefused,        // an https address; nothing was sent
  BadAddress,          // an address the client cannot use (no host, bad port, other scheme, control bytes)
  ConnectionFailure,   // resolution failed, connection refused, reset or closed early
  ConnectTimeout,      // no connection within the connect limit
  ReadTimeout,         // a limited wait for data ran out
  LineTooLong,         // a status, header or chunk-size line, or a whole head, over its limit
  ResponseTooLarge,    // a reply held in memory over its limit
  RequestBodyFailure,  // the request body gave fewer bytes than it announced
  Aborted,             // Disconnect or the abort check ended the exchange
  Busy,                // the client is already in an exchange
  Protocol,            // a non-success status: HttpProtocolError
  MalformedResponse,   // a chunk size or Content-Length the client cannot read, or disagreeing lengths
};

// Every failure of THttpClient.
class EHttpClientError : public std::runtime_error {
 public:
  EHttpClientError(THttpErrorKind kind, const std::string& what) : std::runtime_error(what), FKind(kind) {}
  THttpErrorKind Kind() const noexcept { return FKind; }

 private:
  THttpErrorKind FKind;
};

// A short English name of the kind, for tools and diagnostics.
const char* DescribeErrorKind(THttpErrorKind kind) noexcept;

}  // namespace halvane
