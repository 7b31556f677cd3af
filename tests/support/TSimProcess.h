#pragma once
// Runs halvane-sim for a test: starts it on a free port, waits until it
// answers, and stops it with SIGTERM when the object goes away.
#include <sys/types.h>

#include <string>

namespace halvane::test {

class TSimProcess {
 public:
  // Starts the simulated web; configPath empty uses its built-in default.
  // executable defaults to the halvane-sim of this build. Throws
  // std::runtime_error when it does not start or answer within 30 s.
  explicit TSimProcess(const std::string& configPath = {}, const std::string& executable = {});
  ~TSimProcess();
  TSimProcess(const TSimProcess&) = delete;
  TSimProcess& operator=(const TSimProcess&) = delete;

  int Port() const { return port_; }
  // "http://127.0.0.1:PORT", the engine and services.
  std::string ServiceUrl() const;
  // The TLS listeners' port (every address serves the same over TLS there),
  // "https://127.0.0.1:HTTPSPORT", and the CA certificate that verifies them.
  int HttpsPort() const { return httpsPort_; }
  std::string HttpsServiceUrl() const;
  const std::string& CaFile() const { return caFile_; }

  // Replaces the server's fault rules ("<match> <faults>" lines, see the
  // simulated web's README); false when the server refuses them.
  bool SetFaults(const std::string& rules) const;
  bool ClearFaults() const;

  // Sends SIGTERM and waits; the exit status as waitpid reports it, or -1
  // when it was already stopped.
  int Stop();

  static std::string DefaultExecutable();

 private:
  pid_t pid_ = -1;
  int port_ = 0;
  int httpsPort_ = 0;
  std::string caFile_;
};

}  // namespace halvane::test
