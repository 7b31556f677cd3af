#pragma once
// What every attempt starts with besides its request: the settings with
// out-of-range limits brought into range, the CA file's bytes (read once,
// as a regular file; or why it could not be read, which https attempts end
// with), and the proxies taken in rotation.
//
// Threads: built before the live client's worker thread starts; Settings
// may be read from any thread (it never changes), NextProxy is called on
// the worker thread only.
#include <cstddef>
#include <string>

#include "live/TNetworkSettings.h"

namespace halvane::live {

class TTransferOptions {
 public:
  explicit TTransferOptions(TNetworkSettings settings);

  const TNetworkSettings& Settings() const noexcept { return FSettings; }
  const std::string& CaBytes() const noexcept { return FCaBytes; }
  // "" when the CA file was read (or none is set).
  const std::string& CaError() const noexcept { return FCaError; }
  // The proxy of the next attempt ("" for none).
  std::string NextProxy();

  // The system's hashed certificate folder ("" when there is none): with a
  // CA file, libcurl's CURLOPT_CAINFO_BLOB replaces the system bundle, and
  // OpenSSL still trusts the system store through CURLOPT_CAPATH, so the
  // extra CA comes in addition and nothing is concatenated or parsed per
  // connection. libcurl's built-in default, else Debian's folder; found
  // once, on first use, from any thread.
  static const std::string& SystemCaPath();

 private:
  const TNetworkSettings FSettings;
  std::string FCaBytes;
  std::string FCaError;
  std::size_t FNextProxy = 0;
};

}  // namespace halvane::live
