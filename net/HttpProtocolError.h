#pragma once
#include <string>

#include "EHttpClientError.h"

namespace halvane {

// A response whose status is not a success, after redirects.
class HttpProtocolError : public EHttpClientError {
 public:
  HttpProtocolError(int code, std::string statusLine, std::string body)
      : EHttpClientError(THttpErrorKind::Protocol, statusLine),
        code_(code),
        statusLine_(std::move(statusLine)),
        body_(std::move(body)) {}

  int ErrorCode() const noexcept { return code_; }
  const std::string& StatusLine() const noexcept { return statusLine_; }
  const std::string& Body() const noexcept { return body_; }

 private:
  int code_;
  std::string statusLine_;
  std::string body_;
};

}  // namespace halvane
