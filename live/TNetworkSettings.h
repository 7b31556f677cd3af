#pragma once
// The [network] section of the sources file: limits and politeness of the
// live client.
#include <cstdint>
#include <string>
#include <vector>

namespace halvane::live {

struct TNetworkSettings {
  int Parallel = 4;        // transfers at once, 1..16
  int PerHost = 1;         // transfers at once to one host name, whatever scheme and port
  int HostDelayMs = 500;   // least time between two request starts on one host
  int TimeoutSeconds = 30; // connect and whole-transfer limit
  std::vector<std::string> Proxies;  // used in rotation, one per request
  std::string CaFile;      // trusted besides the system store
  bool ObeyRobots = true;  // robots.txt for page fetches
  std::string UserAgent;   // empty: DefaultUserAgent()
  std::int64_t MaxBodyBytes = 32 * 1024 * 1024;  // decoded body
  int MaxRedirects = 10;   // hops, each fetched as a request of its own
  // Page fetches may reach loopback, private, link-local and unique-local
  // addresses ([network] private-addresses = allow); services always may.
  bool AllowPrivateAddresses = false;
};

// "Halvane/<version> (...)": names the program and says what it does.
std::string DefaultUserAgent();

}  // namespace halvane::live
