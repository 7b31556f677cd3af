#pragma once
// Connections whose server side is bytes in memory: each Connect hands out the
// next scripted reply and records what the client sent. For unit tests and
// the fuzz harness, which need no sockets.
#include <deque>
#include <string>
#include <vector>

#include "TConnector.h"

namespace halvane {

class TMemoryConnector : public TConnector {
 public:
  // The bytes the server sends on the next connection, then it closes.
  void AddReply(std::string bytes) { FReplies.push_back(std::move(bytes)); }

  std::unique_ptr<TConnection> Connect(const std::string& host, int port, const TWaitSlice& slice) override;

  // Everything the client wrote, one entry per connection.
  const std::vector<std::string>& Sent() const noexcept { return *FSent; }
  // "host:port" of each connection made.
  const std::vector<std::string>& Targets() const noexcept { return FTargets; }

 private:
  std::deque<std::string> FReplies;
  std::shared_ptr<std::vector<std::string>> FSent = std::make_shared<std::vector<std::string>>();
  std::vector<std::string> FTargets;
};

}  // namespace halvane
