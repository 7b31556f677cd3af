#pragma once
#include <cstddef>

namespace halvane {

// One open byte connection to a server, as the HTTP client uses it. Reads
// and writes never block; the client waits with WaitReadable/WaitWritable.
// Failures are thrown as EHttpClientError (ConnectionFailure).
class TConnection {
 public:
  static constexpr long kWouldBlock = -1;

  virtual ~TConnection() = default;
  // Bytes read (at least 1), 0 once the peer has closed, or kWouldBlock.
  virtual long Read(void* buffer, std::size_t size) = 0;
  // Bytes taken, 0 when none can be taken now.
  virtual std::size_t Write(const void* data, std::size_t size) = 0;
  // True when Read would not block within timeoutMs (data, close or error).
  virtual bool WaitReadable(int timeoutMs) = 0;
  virtual bool WaitWritable(int timeoutMs) = 0;
  virtual void Close() noexcept = 0;
};

}  // namespace halvane
