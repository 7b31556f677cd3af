#include "platform/TSocket.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace halvane::platform {

namespace {

[[noreturn]] void ThrowErrno(const std::string& what) {
  const int error = errno;
  throw ESocketError(what + ": " + std::strerror(error), error);
}

}  // namespace

std::vector<TSocketAddress> ResolveHost(const std::string& host, int port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* list = nullptr;
  const std::string service = std::to_string(port);
  const int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
  if (rc != 0) throw ESocketError("cannot resolve " + host + ": " + gai_strerror(rc), 0);
  std::vector<TSocketAddress> result;
  for (addrinfo* entry = list; entry != nullptr; entry = entry->ai_next) {
    if (entry->ai_addrlen > sizeof(sockaddr_storage)) continue;
    TSocketAddress address;
    std::memcpy(&address.Storage, entry->ai_addr, entry->ai_addrlen);
    address.Length = entry->ai_addrlen;
    result.push_back(address);
  }
  freeaddrinfo(list);
  if (result.empty()) throw ESocketError("no address for " + host, 0);
  return result;
}

TSocket::~TSocket() { Close(); }

TSocket::TSocket(TSocket&& other) noexcept : FDescriptor(std::exchange(other.FDescriptor, -1)) {}

TSocket& TSocket::operator=(TSocket&& other) noexcept {
  if (this != &other) {
    Close();
    FDescriptor = std::exchange(other.FDescriptor, -1);
  }
  return *this;
}

bool TSocket::BeginConnect(const TSocketAddress& address) {
  Close();
  FDescriptor = ::socket(address.Storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
  if (FDescriptor < 0) ThrowErrno("socket");
  const int one = 1;
  // Request heads go out in one write; no reason to hold them back.
  ::setsockopt(FDescriptor, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  if (::connect(FDescriptor, reinterpret_cast<const sockaddr*>(&address.Storage), address.Length) == 0) return true;
  if (errno == EINPROGRESS) return false;
  const int error = errno;
  Close();
  errno = error;
  ThrowErrno("connect");
}

bool TSocket::FinishConnect(int timeoutMs) {
  if (!Wait(POLLOUT, timeoutMs)) return false;
  int error = 0;
  socklen_t length = sizeof error;
  if (::getsockopt(FDescriptor, SOL_SOCKET, SO_ERROR, &error, &length) != 0) ThrowErrno("connect");
  if (error != 0) {
    Close();
    errno = error;
    ThrowErrno("connect");
  }
  return true;
}

bool TSocket::Wait(short events, int timeoutMs) {
  if (FDescriptor < 0) return true;  // a closed socket answers at once (and reads fail)
  pollfd entry{FDescriptor, events, 0};
  for (;;) {
    const int rc = ::poll(&entry, 1, timeoutMs < 0 ? 0 : timeoutMs);
    if (rc > 0) return true;
    if (rc == 0) return false;
    if (errno != EINTR) ThrowErrno("poll");
  }
}

bool TSocket::WaitReadable(int timeoutMs) { return Wait(POLLIN, timeoutMs); }
bool TSocket::WaitWritable(int timeoutMs) { return Wait(POLLOUT, timeoutMs); }

long TSocket::Read(void* buffer, std::size_t size) {
  if (FDescriptor < 0) return 0;
  for (;;) {
    const ssize_t n = ::recv(FDescriptor, buffer, size, 0);
    if (n >= 0) return static_cast<long>(n);
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return kWouldBlock;
    ThrowErrno("recv");
  }
}

std::size_t TSocket::Write(const void* data, std::size_t size) {
  if (FDescriptor < 0) throw ESocketError("send: socket closed", EBADF);
  for (;;) {
    const ssize_t n = ::send(FDescriptor, data, size, MSG_NOSIGNAL);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
    ThrowErrno("send");
  }
}

void TSocket::Close() noexcept {
  if (FDescriptor >= 0) {
    ::close(FDescriptor);
    FDescriptor = -1;
  }
}

TListenSocket::TListenSocket(int port) {
  FDescriptor = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
  if (FDescriptor < 0) ThrowErrno("socket");
  const int one = 1;
  ::setsockopt(FDescriptor, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  if (::bind(FDescriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(FDescriptor, 16) != 0) {
    const int error = errno;
    Close();
    errno = error;
    ThrowErrno("listen");
  }
  socklen_t length = sizeof address;
  ::getsockname(FDescriptor, reinterpret_cast<sockaddr*>(&address), &length);
  FPort = ntohs(address.sin_port);
}

TListenSocket::~TListenSocket() { Close(); }

int TListenSocket::Accept(int timeoutMs) {
  if (FDescriptor < 0) return -1;
  pollfd entry{FDescriptor, POLLIN, 0};
  const int rc = ::poll(&entry, 1, timeoutMs);
  if (rc <= 0) return -1;
  return ::accept4(FDescriptor, nullptr, nullptr, SOCK_CLOEXEC);
}

void TListenSocket::Close() noexcept {
  if (FDescriptor >= 0) {
    ::close(FDescriptor);
    FDescriptor = -1;
  }
}

}  // namespace halvane::platform
