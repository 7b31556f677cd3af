// The simulated web under clients that misbehave, and started wrongly: slow
// clients must not hold the others up, and a configuration it cannot read
// stops it instead of leaving it running on the defaults.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <vector>

#include "tests/sim/SimWalk.h"
#include "tools/sim/TSimConfig.h"
#include "tests/support/TSimProcess.h"

namespace halvane::sim {
namespace {

int Connect(const std::string& ip, int port) {
  const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<std::uint16_t>(port));
  inet_pton(AF_INET, ip.c_str(), &addr.sin_addr);
  if (s >= 0 && connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) return s;
  if (s >= 0) close(s);
  return -1;
}

// Connections that send their request a byte at a time, each byte well
// inside the server's read timeout, for as long as the object lives.
class TTricklers {
 public:
  TTricklers(const std::string& ip, int port, int count) {
    for (int i = 0; i < count; ++i) {
      const int s = Connect(ip, port);
      if (s >= 0) FSockets.push_back(s);
    }
    FThread = std::thread([this] {
      const std::string request = "GET /liveupdate/halvane/mainappupdate.inf HTTP/1.1\r\nHost: x\r\nX-Slow: " +
                                  std::string(1000, 'a');
      for (std::size_t at = 0; !FStop && at < request.size(); ++at) {
        for (const int s : FSockets) send(s, &request[at], 1, MSG_NOSIGNAL);
        for (int i = 0; i < 10 && !FStop; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    });
  }
  ~TTricklers() {
    FStop = true;
    FThread.join();
    for (const int s : FSockets) close(s);
  }
  std::size_t Connected() const { return FSockets.size(); }

 private:
  std::vector<int> FSockets;
  std::atomic<bool> FStop{false};
  std::thread FThread;
};

TEST(SimRobustness, SlowClientsDoNotHoldUpANormalRequest) {
  test::TSimProcess sim(std::string(HALVANE_TEST_DATA) + "/sim/small.conf");
  // Forty on the services' address and forty on a blog, each holding its
  // connection open while it trickles.
  TTricklers services("127.0.0.1", sim.Port(), 40);
  TTricklers blog("127.0.0.3", sim.Port(), 40);
  TTricklers secure("127.0.0.1", sim.HttpsPort(), 40);
  ASSERT_EQ(services.Connected() + blog.Connected() + secure.Connected(), 120u);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  // Exchange gives up when nothing arrives for 10 s, far below the hold.
  const std::string answer = simtest::Exchange(
      "127.0.0.1", sim.Port(), "GET /liveupdate/halvane/mainappupdate.inf HTTP/1.0\r\n\r\n", 10000);
  EXPECT_EQ(answer.rfind("HTTP/1.1 200", 0), 0u) << answer;
  const std::string page = simtest::Exchange("127.0.0.3", sim.Port(), "GET / HTTP/1.0\r\n\r\n", 10000);
  EXPECT_EQ(page.rfind("HTTP/1.1 200", 0), 0u) << page;
}

// Runs halvane-sim with args; its exit status and what it printed. One that
// starts serving is killed after a while (status 137).
std::pair<int, std::string> RunSim(const std::string& args) {
  const std::string command =
      "timeout -s KILL 10 " + test::TSimProcess::DefaultExecutable() + " --port 0 " + args + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return {-1, {}};
  std::string out;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
  const int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

TEST(SimRobustness, AConfigurationItCannotReadStopsIt) {
  const std::string folder = std::string(HALVANE_TEST_DATA) + "/sim";
  EXPECT_THROW(LoadSimConfig(folder), std::runtime_error);
  // A folder opens like a file and reads as nothing: that must not count
  // as an empty configuration.
  const auto [status, out] = RunSim("--config " + folder);
  EXPECT_EQ(status, 1) << out;
  EXPECT_NE(out.find(folder), std::string::npos) << out;
  EXPECT_NE(out.find("not a file"), std::string::npos) << out;
  const auto [missingStatus, missingOut] = RunSim("--config " + folder + "/no-such.conf");
  EXPECT_EQ(missingStatus, 1) << missingOut;
  EXPECT_NE(missingOut.find("cannot read"), std::string::npos) << missingOut;
}

}  // namespace
}  // namespace halvane::sim
