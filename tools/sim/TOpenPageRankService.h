#pragma once
// An Open PageRank-style bulk API: POST /v1/domains/bulk with
// "Authorization: Bearer <key>" and {"domains":[...]}. More than 100 domains
// are refused (400); unknown domains are answered {"found":false} with null
// figures, except names starting with "unknown", which are left out; rank is
// an integer; a subdomain is answered under its folded name (an address
// stays as it is, a name keeps its last two labels: "www.example.com" ->
// "example.com"). Errors are {"error":{"type":..,"message":..}}.
#include <optional>
#include <string>
#include <string_view>

#include "TServiceReply.h"
#include "TSimWeb.h"

namespace halvane::sim {

class TOpenPageRankService {
 public:
  static constexpr std::string_view kPath = "/v1/domains/bulk";
  static constexpr std::size_t kMaxDomains = 100;

  explicit TOpenPageRankService(const TSimWeb& web) : FWeb(web) {}

  static bool Asks(std::string_view method, std::string_view target);
  TServiceReply Reply(const TServiceRequest& request) const;
  static TServiceReply Error(int status, std::string_view message = {});

  // The name a domain is answered under.
  static std::string FoldedName(std::string_view domain);
  // The figure the service gives a folded name (0..10 in steps of 0.25:
  // halves occur), nothing for an unknown one. The blog sites' addresses
  // ("127.0.0.2") are known except every fifth site; other names by a draw,
  // names starting with "unknown" never.
  std::optional<double> Figure(std::string_view foldedName) const;
  // What a live run shows for it: rounded half up, or nothing ("-").
  std::optional<int> ShownAuthority(std::string_view domain) const;

 private:
  const TSimWeb& FWeb;
};

}  // namespace halvane::sim
