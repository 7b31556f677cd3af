#include "TSocketConnector.h"

#include "EHttpClientError.h"
#include "TSocket.h"

namespace halvane {

namespace {

class TSocketConnection : public TConnection {
 public:
  explicit TSocketConnection(platform::TSocket socket) : FSocket(std::move(socket)) {}

  long Read(void* buffer, std::size_t size) override {
    try {
      const long n = FSocket.Read(buffer, size);
      return n == platform::TSocket::kWouldBlock ? kWouldBlock : n;
    } catch (const platform::ESocketError& e) {
      throw EHttpClientError(THttpErrorKind::ConnectionFailure, e.what());
    }
  }
  std::size_t Write(const void* data, std::size_t size) override {
    try {
      return FSocket.Write(data, size);
    } catch (const platform::ESocketError& e) {
      throw EHttpClientError(THttpErrorKind::ConnectionFailure, e.what());
    }
  }
  bool WaitReadable(int timeoutMs) override { return Wait(true, timeoutMs); }
  bool WaitWritable(int timeoutMs) override { return Wait(false, timeoutMs); }
  void Close() noexcept override { FSocket.Close(); }

 private:
  bool Wait(bool read, int timeoutMs) {
    try {
      return read ? FSocket.WaitReadable(timeoutMs) : FSocket.WaitWritable(timeoutMs);
    } catch (const platform::ESocketError& e) {
      throw EHttpClientError(THttpErrorKind::ConnectionFailure, e.what());
    }
  }

  platform::TSocket FSocket;
};

}  // namespace

std::unique_ptr<TConnection> TSocketConnector::Connect(const std::string& host, int port, const TWaitSlice& slice) {
  std::vector<platform::TSocketAddress> addresses;
  try {
    addresses = platform::ResolveHost(host, port);
  } catch (const platform::ESocketError& e) {
    throw EHttpClientError(THttpErrorKind::ConnectionFailure, e.what());
  }
  std::string lastError = "cannot connect to " + host;
  for (const auto& address : addresses) {
    platform::TSocket socket;
    try {
      bool connected = socket.BeginConnect(address);
      while (!connected) {
        connected = socket.FinishConnect(kSliceMs);
        if (!connected) slice();  // may throw: the socket closes on the way out
      }
      return std::make_unique<TSocketConnection>(std::move(socket));
    } catch (const platform::ESocketError& e) {
      lastError = e.what();
    }
  }
  throw EHttpClientError(THttpErrorKind::ConnectionFailure, lastError);
}

}  // namespace halvane
