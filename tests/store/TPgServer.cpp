#include "tests/store/TPgServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <libpq-fe.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "tests/support/WaitUntil.h"

namespace halvane::store::test {

namespace {

// HALVANE_PG_BIN, else the newest /usr/lib/postgresql/<version>/bin.
std::string ServerBinaries() {
  if (const char* bin = std::getenv("HALVANE_PG_BIN"); bin && *bin) return bin;
  std::string best;
  int bestVersion = -1;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/usr/lib/postgresql", error)) {
    const std::string name = entry.path().filename().string();
    const int version = std::atoi(name.c_str());
    if (version > bestVersion && std::filesystem::exists(entry.path() / "bin" / "initdb")) {
      bestVersion = version;
      best = (entry.path() / "bin").string();
    }
  }
  return best;
}

// The account the server runs as: the caller's, or "nobody" under root.
struct TAccount {
  bool Drop = false;
  uid_t Uid = 0;
  gid_t Gid = 0;
};

TAccount ServerAccount() {
  TAccount account;
  if (geteuid() != 0) return account;
  const passwd* nobody = getpwnam("nobody");
  if (!nobody) throw std::runtime_error("running as root, and there is no user \"nobody\" to run PostgreSQL as");
  account = {true, nobody->pw_uid, nobody->pw_gid};
  return account;
}

// The child gets SIGINT (PostgreSQL's fast shutdown) when the test process
// dies, so that a crashed test leaves no server behind.
pid_t Spawn(const std::vector<std::string>& args, const std::string& folder, const std::string& log,
            const TAccount& account) {
  const pid_t parent = getpid();
  std::vector<char*> argv;
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid > 0) return pid;
  const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const int in = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (out < 0 || in < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(out, 2) < 0) _exit(126);
  if (account.Drop && (setgroups(0, nullptr) != 0 || setgid(account.Gid) != 0 || setuid(account.Uid) != 0)) _exit(125);
  // After setuid, which clears it.
  if (prctl(PR_SET_PDEATHSIG, SIGINT) != 0 || getppid() != parent) _exit(123);
  if (chdir(folder.c_str()) != 0) _exit(124);
  execv(argv[0], argv.data());
  _exit(127);
}

std::string LogTail(const std::string& log) {
  std::ifstream in(log);
  std::stringstream text;
  text << in.rdbuf();
  const std::string all = text.str();
  return all.size() > 2000 ? all.substr(all.size() - 2000) : all;
}

int FreePort() {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    throw std::runtime_error("no free port on 127.0.0.1");
  }
  close(fd);
  return ntohs(address.sin_port);
}

std::string AdminConnection(int port) {
  return "host=127.0.0.1 port=" + std::to_string(port) + " dbname=postgres user=halvane connect_timeout=10";
}

std::unique_ptr<TPgServer> gServer;
std::string gProblem;
bool gTried = false;

}  // namespace

TPgServer* TPgServer::Shared() {
  if (!gTried) {
    gTried = true;
    try {
      gServer.reset(new TPgServer);
      gServer->Start();
    } catch (const std::exception& e) {
      gServer.reset();
      gProblem = e.what();
      std::cerr << "\n*** PostgreSQL store cases are SKIPPED: " << gProblem << " ***\n\n";
    }
  }
  return gServer.get();
}

const std::string& TPgServer::Problem() { return gProblem; }

TPgServer::~TPgServer() { Stop(); }

void TPgServer::Start() {
  const std::string bin = ServerBinaries();
  if (bin.empty()) {
    throw std::runtime_error("PostgreSQL's server programs are not installed (no /usr/lib/postgresql/*/bin/initdb); "
                             "install Debian's postgresql package (scripts/deps does)");
  }
  FOwner = getpid();
  const TAccount account = ServerAccount();
  // Under /tmp, which every user may pass through: the server's user must
  // reach its folder, and a test's temporary folder may lie under /root.
  FFolder = std::make_unique<TScratchFolder>(account.Drop ? "/tmp/" : "");
  const std::string folder = FFolder->Path();
  if (account.Drop && chown(folder.c_str(), account.Uid, account.Gid) != 0) {
    throw std::runtime_error("cannot hand " + folder + " to the user nobody");
  }
  const std::string data = folder + "/data";
  const std::string initLog = folder + "/initdb.log";
  const pid_t init = Spawn({bin + "/initdb", "-D", data, "-A", "trust", "-U", "halvane", "--no-sync",
                            "--no-instructions", "-E", "UTF8", "--locale=C"},
                           folder, initLog, account);
  int status = 0;
  waitpid(init, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw std::runtime_error("initdb failed (status " + std::to_string(status) + "): " + LogTail(initLog));
  }
  const std::string log = folder + "/postgres.log";
  // Another program may take the port between FreePort and the server's
  // bind: then the server stops at once, and another port is tried.
  for (int attempt = 0; attempt < 5; ++attempt) {
    FPort = FreePort();
    FPid = Spawn({bin + "/postgres", "-D", data, "-k", folder, "-h", "127.0.0.1", "-p", std::to_string(FPort), "-c",
                  "fsync=off", "-c", "full_page_writes=off", "-c", "synchronous_commit=off"},
                 folder, log, account);
    // The server says nothing when it is ready: it is asked until it
    // answers or stops, two minutes being only the bound for one that never
    // does either.
    bool stopped = false;
    const bool settled = halvane::test::WaitUntil(
        [&] {
          if (PQping(AdminConnection(FPort).c_str()) == PQPING_OK) return true;
          stopped = waitpid(FPid, &status, WNOHANG) == FPid;
          return stopped;
        },
        std::chrono::minutes(2));
    if (settled && !stopped) return;
    if (waitpid(FPid, &status, WNOHANG) == 0) {
      Stop();
      throw std::runtime_error("PostgreSQL did not accept connections within 2 minutes: " + LogTail(log));
    }
    FPid = -1;
    if (LogTail(log).find("could not bind") == std::string::npos) {
      throw std::runtime_error("PostgreSQL stopped at start: " + LogTail(log));
    }
  }
  throw std::runtime_error("PostgreSQL found no free port: " + LogTail(log));
}

void TPgServer::Stop() {
  if (FPid > 0 && getpid() == FOwner) {
    kill(FPid, SIGINT);  // fast shutdown: open sessions are ended
    int status = 0;
    waitpid(FPid, &status, 0);
    FPid = -1;
  }
  if (getpid() == FOwner) FFolder.reset();
}

std::string TPgServer::NewDatabase() {
  const std::string name = "store_" + std::to_string(++FDatabases);
  PGconn* admin = PQconnectdb(AdminConnection(FPort).c_str());
  const std::unique_ptr<PGconn, decltype(&PQfinish)> closer(admin, &PQfinish);
  PGresult* result = PQexec(admin, ("CREATE DATABASE " + name).c_str());
  const bool made = PQresultStatus(result) == PGRES_COMMAND_OK;
  const std::string error = PQerrorMessage(admin);
  PQclear(result);
  if (!made) throw std::runtime_error("cannot create the database " + name + ": " + error);
  return "postgresql://halvane@127.0.0.1:" + std::to_string(FPort) + "/" + name;
}

}  // namespace halvane::store::test
