#include "ConnectionSocket.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>

namespace halvane::sim {
namespace {

bool SameEndpoint(const sockaddr_in& a, const in_addr& addr, int port) {
  return a.sin_family == AF_INET && a.sin_addr.s_addr == addr.s_addr && ntohs(a.sin_port) == port;
}

}  // namespace

int FindConnectionSocket(const std::string& localAddr, int localPort, const std::string& remoteAddr,
                         int remotePort) {
  in_addr local{};
  in_addr remote{};
  if (inet_pton(AF_INET, localAddr.c_str(), &local) != 1 ||
      inet_pton(AF_INET, remoteAddr.c_str(), &remote) != 1) {
    return -1;
  }
  DIR* dir = opendir("/proc/self/fd");
  if (!dir) return -1;
  int found = -1;
  while (const dirent* entry = readdir(dir)) {
    char* end = nullptr;
    const long fd = std::strtol(entry->d_name, &end, 10);
    if (end == entry->d_name || *end != '\0' || fd < 0 || fd == dirfd(dir)) continue;
    struct stat st {};
    if (fstat(static_cast<int>(fd), &st) != 0 || !S_ISSOCK(st.st_mode)) continue;
    sockaddr_in mine{};
    sockaddr_in peer{};
    socklen_t len = sizeof mine;
    if (getsockname(static_cast<int>(fd), reinterpret_cast<sockaddr*>(&mine), &len) != 0) continue;
    len = sizeof peer;
    if (getpeername(static_cast<int>(fd), reinterpret_cast<sockaddr*>(&peer), &len) != 0) continue;
    if (SameEndpoint(mine, local, localPort) && SameEndpoint(peer, remote, remotePort)) {
      found = static_cast<int>(fd);
      break;
    }
  }
  closedir(dir);
  return found;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

void WaitForPeerClose(int fd, int ms, const std::function<bool()>& stopping) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!stopping()) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    if (left.count() <= 0) return;
    pollfd p{fd, POLLRDHUP, 0};
    const int slice = left.count() < 100 ? static_cast<int>(left.count()) : 100;
    const int r = poll(&p, 1, slice);
    if (r < 0 && errno != EINTR) return;
    if (r > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL))) return;
  }
}

void HangUp(int fd) { shutdown(fd, SHUT_RDWR); }

}  // namespace halvane::sim
