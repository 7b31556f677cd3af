#include "tests/support/TTestServer.h"

#include <chrono>
#include <stdexcept>

namespace halvane::test {

TTestServer::TTestServer(std::string address)
    : FScheme("http"), FAddress(std::move(address)), FServer(std::make_unique<httplib::Server>()) {
  Listen();
}

TTestServer::TTestServer(std::string address, X509* certificate, EVP_PKEY* key)
    : FScheme("https"), FAddress(std::move(address)), FServer(std::make_unique<httplib::SSLServer>(certificate, key)) {
  if (!FServer->is_valid()) throw std::runtime_error("test server: certificate not accepted");
  Listen();
}

void TTestServer::Listen() {
  FServer->set_keep_alive_timeout(1);
  FServer->new_task_queue = [] { return new httplib::ThreadPool(24); };
  FPort = FServer->bind_to_any_port(FAddress);
  if (FPort <= 0) throw std::runtime_error("test server: cannot bind " + FAddress);
  FThread = std::thread([this] { FServer->listen_after_bind(); });
  for (int i = 0; i < 500 && !FServer->is_running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

TTestServer::~TTestServer() {
  FServer->stop();
  if (FThread.joinable()) FThread.join();
}

std::string TTestServer::Url(const std::string& path) const {
  return FScheme + "://" + FAddress + ":" + std::to_string(FPort) + path;
}

}  // namespace halvane::test
