#include "TNewsService.h"

#include <algorithm>

namespace halvane::sim {
namespace {

const std::string* Field(const std::map<std::string, std::string>& fields, const char* name) {
  const auto it = fields.find(name);
  return it == fields.end() ? nullptr : &it->second;
}

}  // namespace

std::string TNewsService::EscapeBody(std::string_view html) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(html.size());
  for (const char c : html) {
    const auto b = static_cast<unsigned char>(c);
    if (b == '$' || b == '"' || b == '\'' || b < 0x20 || b > 0x7E) {
      out.push_back('$');
      out.push_back(kHex[b >> 4]);
      out.push_back(kHex[b & 15]);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::string TNewsService::Reply(std::string_view script,
                                const std::map<std::string, std::string>& fields) const {
  if (!config_.newsReply.empty()) return config_.newsReply;
  const std::string* user = Field(fields, "memusername");
  const std::string* product = Field(fields, "prodcode");
  const std::string* type = Field(fields, "prodtype");
  if (!user || !product || !type) return "CONNECTIONFAIL";
  if (*user != config_.newsUser) return "INVALIDUSER";
  const auto& types = config_.newsTypes;
  if (*product != config_.newsProduct || std::find(types.begin(), types.end(), *type) == types.end()) {
    return "INVALIDPRODUCT";
  }
  const auto& items = config_.newsItems;
  if (script == "getnewsdetails.php") {
    const std::string* id = Field(fields, "newsid");
    for (const TNewsItem& item : items) {
      if (id && *id == std::to_string(item.id)) return EscapeBody(item.body) + EndMarker();
    }
    return "INVALIDNEWS";
  }
  const std::string* kind = Field(fields, "conttype");
  if (kind && *kind == "all") {
    if (items.empty()) return "OK";
    std::string out;
    for (const TNewsItem& item : items) {
      if (!out.empty()) out.push_back(kRecord);
      out += std::to_string(item.id) + "^" + item.title + "^" + item.date;
    }
    return out + EndMarker();
  }
  if (kind && *kind == "lastcode") {
    if (items.empty()) return "OK";
    const auto latest = std::max_element(items.begin(), items.end(),
                                         [](const TNewsItem& a, const TNewsItem& b) { return a.id < b.id; });
    return std::to_string(latest->id) + "^" + latest->title + EndMarker();
  }
  return "CONNECTIONFAIL";
}

}  // namespace halvane::sim
