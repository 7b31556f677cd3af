#pragma once
// A throw-away PostgreSQL server for the store's tests: a cluster made by
// Debian's initdb in a scratch folder, listening on 127.0.0.1 at a free port
// with its socket in that folder, stopped and removed at the end. PostgreSQL
// refuses to run as root, so under root the cluster belongs to "nobody".
#include <sys/types.h>

#include <memory>
#include <string>

#include "tests/store/TScratchFolder.h"

namespace halvane::store::test {

class TPgServer {
 public:
  // The process's one server, started on first use; nullptr when it cannot
  // run, with the reason in Problem().
  static TPgServer* Shared();
  static const std::string& Problem();

  ~TPgServer();

  // A new, empty database on the server, as a postgresql:// URL.
  std::string NewDatabase();
  int Port() const { return FPort; }

 private:
  TPgServer() = default;
  void Start();
  void Stop();

  std::unique_ptr<TScratchFolder> FFolder;
  pid_t FPid = -1;
  pid_t FOwner = -1;  // a forked child never stops its parent's server
  int FPort = 0;
  int FDatabases = 0;
};

}  // namespace halvane::store::test
