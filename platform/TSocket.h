#pragma once
// A thin layer over POSIX stream sockets: host-name resolution, a
// non-blocking connect that the caller drives in short waits, and
// non-blocking reads and writes. Nothing here blocks longer than the wait the
// caller asks for, except host-name resolution.
#include <sys/socket.h>

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

namespace halvane::platform {

class ESocketError : public std::runtime_error {
 public:
  ESocketError(const std::string& what, int error) : std::runtime_error(what), FError(error) {}
  // The errno value behind the failure, or 0 when there is none.
  int Error() const noexcept { return FError; }

 private:
  int FError;
};

struct TSocketAddress {
  sockaddr_storage Storage{};
  socklen_t Length = 0;
};

// The addresses of host for a TCP connection to port (IPv4 and IPv6, in the
// resolver's order). Blocks for as long as the resolver takes; throws
// ESocketError when the host has no address.
std::vector<TSocketAddress> ResolveHost(const std::string& host, int port);

class TSocket {
 public:
  // Read's answer when no byte is waiting.
  static constexpr long kWouldBlock = -1;

  TSocket() = default;
  ~TSocket();
  TSocket(TSocket&& other) noexcept;
  TSocket& operator=(TSocket&& other) noexcept;
  TSocket(const TSocket&) = delete;
  TSocket& operator=(const TSocket&) = delete;

  // Opens a non-blocking socket and starts connecting it; true when the
  // connection is already made, false when it is under way (finish it with
  // FinishConnect). Throws ESocketError when the attempt fails at once.
  bool BeginConnect(const TSocketAddress& address);
  // Waits at most timeoutMs for the connect under way; true once connected,
  // false while still pending. Throws ESocketError when it failed.
  bool FinishConnect(int timeoutMs);

  // True when a read would not block (data waiting, the peer closed, or an
  // error pending) within timeoutMs.
  bool WaitReadable(int timeoutMs);
  bool WaitWritable(int timeoutMs);

  // Bytes read (at least 1), 0 when the peer has closed the connection, or
  // kWouldBlock. Throws ESocketError on a reset or any other error.
  long Read(void* buffer, std::size_t size);
  // Bytes written, 0 when the socket cannot take any now. Throws on error;
  // never raises SIGPIPE.
  std::size_t Write(const void* data, std::size_t size);

  void Close() noexcept;
  bool IsOpen() const noexcept { return FDescriptor >= 0; }

 private:
  bool Wait(short events, int timeoutMs);

  int FDescriptor = -1;
};

// A listening TCP socket on a loopback address, for local servers (tests,
// benchmarks). Port 0 picks a free port.
class TListenSocket {
 public:
  explicit TListenSocket(int port = 0);
  ~TListenSocket();
  TListenSocket(const TListenSocket&) = delete;
  TListenSocket& operator=(const TListenSocket&) = delete;

  int Port() const noexcept { return FPort; }
  // Waits at most timeoutMs for a connection; returns its descriptor
  // (blocking mode) or -1 when none came.
  int Accept(int timeoutMs);
  void Close() noexcept;

 private:
  int FDescriptor = -1;
  int FPort = 0;
};

}  // namespace halvane::platform
