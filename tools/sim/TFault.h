#pragma once
// How one answer misbehaves. Written as a fault list of comma-separated items,
// e.g. "head-delay:500,status:404" or "chunked,piece:7,piece-delay:20".
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace halvane::sim {

struct TFault {
  int headDelayMs = 0;        // head-delay:MS   wait before the head
  int pieceDelayMs = 0;       // piece-delay:MS  wait between body pieces
  std::size_t pieceSize = 0;  // piece:N         body piece size (default 1024 when pieced)
  int status = 0;             // status:CODE     answer CODE with a short page
  int redirects = 0;          // redirect:N      N redirects before the answer
  bool chunked = false;       // chunked         chunked transfer coding
  bool untilClose = false;    // close           no length; the body ends at close
  bool drop = false;          // drop[:N]        announce the length, send N bytes
  std::size_t dropAfter = 0;  //                 (default half the body), hang up
  bool silent = false;        // silent[:MS]     accept, send nothing, hang up
  int silentMs = 30000;       //                 when the client leaves or after MS
  bool tlsBadCert = false;    // tls-bad-cert    TLS connections: a certificate
                              //                 for another name (rules only)
  int count = 0;              // count:N         a rule's uses; 0 = no limit

  bool operator==(const TFault&) const = default;
};

// Parses a fault list; on failure returns nothing and, when error is given, says why.
std::optional<TFault> ParseFault(std::string_view faults, std::string* error = nullptr);
// The fault list of fault, items in a fixed order (count left out).
std::string FormatFault(const TFault& fault);

}  // namespace halvane::sim
