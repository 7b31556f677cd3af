#include "sources/ServiceJson.h"

namespace halvane::sources {
namespace {

// Brackets outside strings, counted in one pass.
bool NestingWithin(std::string_view body, int limit) {
  int depth = 0;
  bool inString = false;
  for (std::size_t i = 0; i < body.size(); ++i) {
    const char c = body[i];
    if (inString) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > limit) return false;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return true;
}

}  // namespace

nlohmann::json ParseServiceJson(std::string_view body) {
  if (!NestingWithin(body, kMaxJsonNesting)) return nlohmann::json(nlohmann::json::value_t::discarded);
  return nlohmann::json::parse(body.begin(), body.end(), nullptr, false);
}

}  // namespace halvane::sources
