#pragma once
#include "TConnector.h"

namespace halvane {

// Connections over TCP sockets (the platform socket layer). Tries each
// address of the host in turn; host-name resolution blocks.
class TSocketConnector : public TConnector {
 public:
  std::unique_ptr<TConnection> Connect(const std::string& host, int port, const TWaitSlice& slice) override;
};

}  // namespace halvane
