#include "TOpenPageRankService.h"

#include <cmath>

#include <nlohmann/json.hpp>

#include "SimText.h"

namespace halvane::sim {
namespace {

bool IsAddress(std::string_view name) {
  return !name.empty() && name.find_first_not_of("0123456789.") == std::string_view::npos;
}

bool IsDomainName(std::string_view name) {
  return !name.empty() && name.size() <= 253 && name.find('.') != std::string_view::npos &&
         name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789.-") == std::string_view::npos;
}

}  // namespace

bool TOpenPageRankService::Asks(std::string_view method, std::string_view target) {
  return method == "POST" && target.substr(0, target.find('?')) == kPath;
}

TServiceReply TOpenPageRankService::Error(int status, std::string_view message) {
  const char* type = status == 401   ? "UNAUTHORIZED"
                     : status == 400 ? "BAD_REQUEST"
                     : status == 429 ? "RATE_LIMITED"
                                     : "SERVER_ERROR";
  if (message.empty()) {
    message = status == 401   ? "Invalid API key"
              : status == 429 ? "Rate limit exceeded: 60 requests per minute"
                              : "Request failed";
  }
  const nlohmann::json body = {{"error", {{"type", type}, {"message", message}}}};
  return {status, "application/json", body.dump(), {}};
}

std::string TOpenPageRankService::FoldedName(std::string_view domain) {
  std::string name = ToLowerAscii(domain);
  while (!name.empty() && name.back() == '.') name.pop_back();
  if (IsAddress(name)) return name;
  const std::size_t last = name.rfind('.');
  if (last == std::string::npos || last == 0) return name;
  const std::size_t before = name.rfind('.', last - 1);
  return before == std::string::npos ? name : name.substr(before + 1);
}

std::optional<double> TOpenPageRankService::Figure(std::string_view foldedName) const {
  const std::uint64_t h = HashText(foldedName, FWeb.Config().seed);
  for (int site = 0; site < FWeb.SiteCount(); ++site) {
    if (foldedName == TSimWeb::SiteIp(site)) {
      if (site % 5 == 4) return std::nullopt;
      return static_cast<double>(h % 41) * 0.25;
    }
  }
  if (foldedName.starts_with("unknown") || h % 6 == 0) return std::nullopt;
  return static_cast<double>(h % 41) * 0.25;
}

std::optional<int> TOpenPageRankService::ShownAuthority(std::string_view domain) const {
  const std::optional<double> figure = Figure(FoldedName(domain));
  if (!figure) return std::nullopt;
  return static_cast<int>(std::floor(*figure + 0.5));
}

TServiceReply TOpenPageRankService::Reply(const TServiceRequest& request) const {
  if (request.Header("Authorization") != "Bearer " + FWeb.Config().openPageRankKey) return Error(401);
  const nlohmann::json body = nlohmann::json::parse(request.Body, nullptr, false);
  if (!body.is_object() || !body.contains("domains") || !body["domains"].is_array()) {
    return Error(400, "domains is required");
  }
  const nlohmann::json& domains = body["domains"];
  if (domains.empty() || domains.size() > kMaxDomains) {
    return Error(400, "domains must hold 1 to 100 names");
  }
  nlohmann::json results = nlohmann::json::array();
  nlohmann::json invalid = nlohmann::json::array();
  for (const nlohmann::json& item : domains) {
    const std::string name = item.is_string() ? FoldedName(item.get<std::string>()) : std::string();
    if (!IsAddress(name) && !IsDomainName(name)) {
      invalid.push_back(item);
      continue;
    }
    const std::optional<double> figure = Figure(name);
    if (!figure && name.starts_with("unknown")) continue;  // left out
    if (!figure) {
      results.push_back({{"domain", name}, {"found", false}, {"open_page_rank", nullptr}, {"rank", nullptr},
                         {"referring_domains", nullptr}});
      continue;
    }
    const std::uint64_t h = HashText(name, 7);
    results.push_back({{"domain", name},
                       {"found", true},
                       {"open_page_rank", *figure},
                       {"rank", 1 + h % 9000000},
                       {"referring_domains", static_cast<int>(h % 50000)}});
  }
  const nlohmann::json answer = {
      {"as_of", "2026-12-01"}, {"count", results.size()}, {"results", std::move(results)}, {"invalid", std::move(invalid)}};
  return {200, "application/json", answer.dump(), {}};
}

}  // namespace halvane::sim
