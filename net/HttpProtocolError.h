#pragma once
#include <string>

#include "EHttpClientError.h"

namespace halvane {

// A response whose status is not a success, after redirects.
class HttpProtocolError : public EHttpClientError {
 public:
  HttpProtocolError(int code, std::string statusLine, std::string body)
      : EHttpClientError(THttpErrorKind::Protocol, statusLine),
        FCode(code),
        FStatusLine(std::move(statusLine)),
        FBody(std::move(body)) {}

  int ErrorCode() const noexcept { return FCode; }
  const std::string& StatusLine() const noexcept { return FStatusLine; }
  const std::string& Body() const noexcept { return FBody; }

 private:
  int FCode;
  std::string FStatusLine;
  std::string FBody;
};

}  // namespace halvane
