#pragma once
#include <functional>
#include <memory>
#include <string>

#include "TConnection.h"

namespace halvane {

// Opens connections for the HTTP client; the sockets in production, bytes in
// memory for tests and the fuzz harness.
class TConnector {
 public:
  // Called between the short waits of a connect; it throws to give up (an
  // abort, the connect limit) and may process window events.
  using TWaitSlice = std::function<void()>;
  static constexpr int kSliceMs = 50;

  virtual ~TConnector() = default;
  // Opens a connection to host and port, waiting in slices of at most
  // kSliceMs and calling slice after each. Throws EHttpClientError
  // (ConnectionFailure) when no connection can be made.
  virtual std::unique_ptr<TConnection> Connect(const std::string& host, int port, const TWaitSlice& slice) = 0;
};

}  // namespace halvane
