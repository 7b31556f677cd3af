#pragma once
// Byte-level access to a connection that the HTTP library serves. The
// library does not hand its sockets to handlers, so the few faults that must
// write past it (a body ended by closing, true silence) look the socket up
// by its address pair.
#include <functional>
#include <string>
#include <string_view>

namespace halvane::sim {

// The descriptor of this process's IPv4 socket connected from remote to
// local, or -1.
int FindConnectionSocket(const std::string& localAddr, int localPort, const std::string& remoteAddr,
                         int remotePort);

// Writes all of bytes; false when the peer went away.
bool WriteAll(int fd, std::string_view bytes);

// Returns when the peer has closed its side, when stopping() turns true, or
// after ms milliseconds, whichever comes first. Reads nothing.
void WaitForPeerClose(int fd, int ms, const std::function<bool()>& stopping);

// Ends the connection both ways; the library still owns and closes fd.
void HangUp(int fd);

}  // namespace halvane::sim
