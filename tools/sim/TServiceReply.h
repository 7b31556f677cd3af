#pragma once
// A request to one of the simulated web's live services and its reply, as
// plain values (the server converts them to and from its HTTP library's).
#include <string>
#include <utility>
#include <vector>

namespace halvane::sim {

struct TServiceRequest {
  std::string Method;
  std::string Target;  // path and query, as sent
  std::vector<std::pair<std::string, std::string>> Headers;
  std::string Body;

  // The first header of that name (any case), or "".
  std::string Header(std::string_view name) const;
};

struct TServiceReply {
  int Status = 200;
  std::string ContentType = "application/json";
  std::string Body;
  std::vector<std::pair<std::string, std::string>> Headers;
};

}  // namespace halvane::sim
