#include "EHttpClientError.h"

namespace halvane {

const char* DescribeErrorKind(THttpErrorKind kind) noexcept {
  switch (kind) {
    case THttpErrorKind::HttpsRefused: return "https refused";
    case THttpErrorKind::BadAddress: return "bad address";
    case THttpErrorKind::ConnectionFailure: return "connection failure";
    case THttpErrorKind::ConnectTimeout: return "connect time-out";
    case THttpErrorKind::ReadTimeout: return "read time-out";
    case THttpErrorKind::LineTooLong: return "line too long";
    case THttpErrorKind::ResponseTooLarge: return "response too large";
    case THttpErrorKind::RequestBodyFailure: return "request body failure";
    case THttpErrorKind::Aborted: return "aborted";
    case THttpErrorKind::Busy: return "client busy";
    case THttpErrorKind::Protocol: return "protocol error";
    case THttpErrorKind::MalformedResponse: return "malformed response";
  }
  return "unknown";
}

}  // namespace halvane
