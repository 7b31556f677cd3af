#include "sources/TOpenPageRank.h"

#include <cmath>
#include <cstdlib>
#include <mutex>
#include <set>

#include "sources/ServiceJson.h"

#include "base/TextScan.h"
#include "live/RegistrableDomain.h"
#include "sources/ServiceErrors.h"
#include "sources/TCallbackGate.h"

namespace halvane::sources {
namespace {

constexpr std::string_view kService = "Open PageRank";

std::string NameOf(std::string_view domain) {
  std::string out = AsciiLowerCase(domain);
  while (!out.empty() && out.back() == '.') out.pop_back();
  return out;
}

// The service's own words in an error body: {"error": ...} or {"message": ...}.
std::string ErrorOfBody(const std::string& body) {
  const nlohmann::json json = ParseServiceJson(body);
  if (!json.is_object()) return {};
  for (const char* key : {"error", "message"}) {
    const auto it = json.find(key);
    if (it != json.end() && it->is_string()) return it->get<std::string>();
  }
  return {};
}

// A figure given as a number or as a numeric string.
std::optional<double> FigureOf(const nlohmann::json& value) {
  if (value.is_number()) return value.get<double>();
  if (!value.is_string()) return std::nullopt;
  const std::string text = value.get<std::string>();
  if (text.empty() || text.size() > 32) return std::nullopt;
  char* end = nullptr;
  const double figure = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(figure)) return std::nullopt;
  return figure;
}

}  // namespace

struct TOpenPageRank::TState {
  TState(live::TLiveClient& client, std::string url, std::string key, THandler handler)
      : Client(client), Url(std::move(url)), Key(std::move(key)), Handler(std::move(handler)) {}

  live::TLiveClient& Client;
  const std::string Url;
  const std::string Key;
  const THandler Handler;
  TCallbackGate Gate;
  std::mutex Mutex;
  std::set<std::string> Known;  // queued, asked or answered
  std::vector<std::string> Queue;
  std::set<live::TRequestId> InFlight;

  // Sends domains as one call; Mutex held by the caller.
  void SendLocked(const std::shared_ptr<TState>& self, std::vector<std::string> domains) {
    if (domains.empty()) return;
    live::TLiveRequest request = BuildRequest(Url, Key, domains);
    // The handler's id is known only after Submit returns: it is handed over
    // through a shared slot, read under Mutex, which this thread holds now.
    auto id = std::make_shared<live::TRequestId>(0);
    *id = Client.Submit(std::move(request), [self, id, domains = std::move(domains)](live::TLiveResponse response) {
      {
        const std::lock_guard lock(self->Mutex);
        self->InFlight.erase(*id);
      }
      self->Gate.Run([&] {
        const TAuthorityAnswer answer = ParseAnswer(response, self->Url, domains);
        for (const std::string& domain : domains) {
          const auto it = answer.Figures.find(domain);
          const std::optional<int> figure = it == answer.Figures.end() ? std::nullopt : it->second;
          if (self->Handler) self->Handler(domain, figure, answer.Error);
          if (self->Gate.Closed()) return;  // stopped from the handler
        }
      });
    });
    InFlight.insert(*id);
  }
};

TOpenPageRank::TOpenPageRank(live::TLiveClient& client, std::string url, std::string key, THandler handler)
    : FState(std::make_shared<TState>(client, std::move(url), std::move(key), std::move(handler))) {}

TOpenPageRank::~TOpenPageRank() { Stop(); }

std::string TOpenPageRank::Request(std::string_view url) {
  std::string domain = AuthorityDomain(url);
  if (domain.empty() || FState->Gate.Closed()) return domain;
  const std::lock_guard lock(FState->Mutex);
  if (!FState->Known.insert(domain).second) return domain;
  FState->Queue.push_back(domain);
  if (FState->Queue.size() >= kMaxDomainsPerCall) FState->SendLocked(FState, std::exchange(FState->Queue, {}));
  return domain;
}

void TOpenPageRank::Flush() {
  if (FState->Gate.Closed()) return;
  const std::lock_guard lock(FState->Mutex);
  FState->SendLocked(FState, std::exchange(FState->Queue, {}));
}

void TOpenPageRank::Stop() {
  FState->Gate.Close();
  std::set<live::TRequestId> ids;
  {
    const std::lock_guard lock(FState->Mutex);
    FState->Queue.clear();
    ids.swap(FState->InFlight);
  }
  for (const live::TRequestId id : ids) FState->Client.Abort(id);
}

std::string TOpenPageRank::AuthorityDomain(std::string_view url) {
  const std::string host = live::HostOfUrl(url);
  if (host.empty()) return {};
  std::string domain = live::RegistrableDomain(host);
  return domain.empty() ? NameOf(host) : domain;
}

int TOpenPageRank::RoundAuthority(double figure) {
  if (!(figure > 0)) return 0;  // negative or NaN
  if (figure >= 10) return 10;
  return static_cast<int>(std::floor(figure + 0.5));
}

live::TLiveRequest TOpenPageRank::BuildRequest(std::string_view url, std::string_view key,
                                               const std::vector<std::string>& domains) {
  live::TLiveRequest request;
  request.Method = "POST";
  request.Url = url;
  request.Headers = {{"Authorization", "Bearer " + std::string(key)}, {"Accept", "application/json"}};
  request.ContentType = "application/json";
  request.Body = nlohmann::json{{"domains", domains}, {"include_history", false}}.dump();
  request.Kind = live::TRequestKind::Api;
  request.MaxBodyBytes = kMaxAnswerBytes;
  return request;
}

TAuthorityAnswer TOpenPageRank::ParseAnswer(const live::TLiveResponse& response, std::string_view url,
                                            const std::vector<std::string>& domains) {
  const std::string label = ServiceLabel(kService, url);
  TAuthorityAnswer answer;
  for (const std::string& domain : domains) answer.Figures[domain] = std::nullopt;
  if (!response.Succeeded()) {
    const std::string detail = response.Answered() ? ErrorOfBody(response.Body) : std::string();
    if (response.Answered() && (response.Status == 401 || response.Status == 403)) {
      answer.KeyRefused = true;
      answer.Error = label + " refused the API key (HTTP " + std::to_string(response.Status) +
                     (detail.empty() ? "" : ": " + ShownText(detail)) + "); check openpagerank-key";
    } else if (response.Answered() && response.Status == 400) {
      answer.Error = label + " refused the request (HTTP 400" + (detail.empty() ? "" : ": " + ShownText(detail)) + ")";
    } else {
      answer.Error = DescribeFailure(label, response, detail);
    }
    return answer;
  }
  const nlohmann::json json = ParseServiceJson(response.Body);
  if (!json.is_object() || !json.contains("results") || !json["results"].is_array()) {
    answer.Error = label + " gave an answer that is not Open PageRank's JSON (no results list); is openpagerank-url right?";
    return answer;
  }
  std::set<std::string> exact;  // domains answered under their own name
  for (const nlohmann::json& result : json["results"]) {
    if (!result.is_object()) continue;
    const auto name = result.find("domain");
    if (name == result.end() || !name->is_string()) continue;
    const std::string given = NameOf(name->get<std::string>());
    if (given.size() > 253) continue;
    std::string domain = given;
    if (!answer.Figures.contains(domain)) {
      // A subdomain folded into the registrable domain asked for.
      domain = live::RegistrableDomain(given);
      if (!answer.Figures.contains(domain) || exact.contains(domain)) continue;
    }
    const auto found = result.find("found");
    if (found != result.end() && found->is_boolean() && !found->get<bool>()) continue;
    const auto figureField = result.find("open_page_rank");
    if (figureField == result.end()) continue;
    const std::optional<double> figure = FigureOf(*figureField);
    if (!figure) continue;
    answer.Figures[domain] = RoundAuthority(*figure);
    if (domain == given) exact.insert(domain);
  }
  return answer;
}

}  // namespace halvane::sources
