// halvane-sim: the simulated web on loopback for the tests and the demo.
#include <pthread.h>
#include <signal.h>

#include <cstring>
#include <iostream>
#include <string>

#include "SimText.h"
#include "TSimServer.h"

namespace {

int Usage(const char* why) {
  if (why) std::cerr << "halvane-sim: " << why << "\n";
  std::cerr << "usage: halvane-sim [--port N] [--https-port N] [--tls-dir DIR] [--config FILE]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int port = 0;
  int httpsPort = 0;
  std::string configPath;
  std::string tlsDir;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--port" || arg == "--https-port" || arg == "--config" || arg == "--tls-dir") && i + 1 < argc) {
      const std::string value = argv[++i];
      if (arg == "--config") {
        configPath = value;
      } else if (arg == "--tls-dir") {
        tlsDir = value;
      } else if (const auto n = halvane::sim::ParseDecimal(value, 65535)) {
        (arg == "--port" ? port : httpsPort) = static_cast<int>(*n);
      } else {
        return Usage((arg + " takes 0..65535").c_str());
      }
    } else if (arg == "--help" || arg == "-h") {
      return Usage(nullptr);
    } else {
      return Usage(("unknown argument " + arg).c_str());
    }
  }

  // Every thread inherits this mask, so the signals reach only sigwait.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  try {
    const halvane::sim::TSimConfig config =
        configPath.empty() ? halvane::sim::DefaultSimConfig() : halvane::sim::LoadSimConfig(configPath);
    halvane::sim::TSimServer server(config, tlsDir);
    const int bound = server.Start(port, httpsPort);
    // Line one is the port, as it always was; then the CA file and the
    // https port.
    std::cout << bound << '\n' << server.CaFile() << '\n' << server.HttpsPort() << std::endl;
    int received = 0;
    sigwait(&stopSignals, &received);
    std::cerr << "halvane-sim: stopping on signal " << received << std::endl;
    server.Stop();
  } catch (const std::exception& e) {
    std::cerr << "halvane-sim: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
