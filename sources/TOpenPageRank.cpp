#include "sources/TOpenPageRank.h"

#include <cmath>
#include <cstdlib>
#include <set>

#include "sources/ServiceJson.h"

#include "base/TextScan.h"
#include "live/RegistrableDomain.h"
#include "live/RetryAfter.h"
#include "sources/ServiceErrors.h"
#include "sources/TCallbackGate.h"

namespace halvane::sources {
namespace {

constexpr std::string_view kService = "Open PageRank";

// The answer for domains no call was made for: why, and no figure.
liverun::TAuthorityAnswer Failed(const std::string& why, const std::vector<std::string>& domains) {
  liverun::TAuthorityAnswer answer;
  for (const std::string& domain : domains) answer.Figures[domain] = std::nullopt;
  answer.Error = why;
  return answer;
}

std::string NameOf(std::string_view domain) {
  std::string out = AsciiLowerCase(domain);
  while (!out.empty() && out.back() == '.') out.pop_back();
  return out;
}

// The service's own words in an error body: {"error":{"type":..,"message":..}},
// or {"error": "..."} and {"message": "..."} as older answers wrote them.
std::string ErrorOfBody(const std::string& body) {
  const nlohmann::json json = ParseServiceJson(body);
  if (!json.is_object()) return {};
  if (const auto error = json.find("error"); error != json.end() && error->is_object()) {
    const auto message = error->find("message");
    if (message != error->end() && message->is_string()) return message->get<std::string>();
    const auto type = error->find("type");
    if (type != error->end() && type->is_string()) return type->get<std::string>();
  }
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
  TState(live::TLiveClient& client, std::string url, std::string key, THandler handler, int callTimeout)
      : Client(client), Url(std::move(url)), Key(std::move(key)), Handler(std::move(handler)), CallTimeout(callTimeout) {}

  live::TLiveClient& Client;
  const std::string Url;
  const std::string Key;
  const THandler Handler;
  const int CallTimeout;
  TCallbackGate Gate;

  // The client's worker's own: touched only by tasks posted to it and by
  // the calls' handlers, which run there too.
  std::set<std::string> Known;  // queued, asked or answered
  std::vector<std::string> Queue;
  std::set<live::TRequestId> InFlight;
  std::string GivenUp;  // not "": why no further call is made

  // Sends domains as one call (attempt 1, or 2 after a time-out); once
  // given up, answers them with the reason instead.
  void Send(const std::shared_ptr<TState>& self, std::vector<std::string> domains, int attempt) {
    if (domains.empty()) return;
    if (!GivenUp.empty()) {
      Answer(Failed(GivenUp, domains), domains);
      return;
    }
    live::TLiveRequest request = BuildRequest(Url, Key, domains);
    request.TimeoutSeconds = CallTimeout;
    // The handler runs on this thread after Submit has returned: the id is
    // there when it looks.
    auto id = std::make_shared<live::TRequestId>(0);
    *id = Client.Submit(std::move(request), [self, id, attempt, domains](live::TLiveResponse response) {
      self->InFlight.erase(*id);
      if (response.Error == live::TLiveError::Timeout && attempt < kCallAttempts && !self->Gate.Closed()) {
        self->Send(self, domains, attempt + 1);
        return;
      }
      const liverun::TAuthorityAnswer answer = ParseAnswer(response, self->Url, domains);
      // Every later call would end the same way: the column gives up.
      if ((answer.KeyRefused || response.Error == live::TLiveError::Timeout) && self->GivenUp.empty()) {
        self->GivenUp = answer.Error;
      }
      self->Answer(answer, domains);
    });
    InFlight.insert(*id);
  }

  // Hands each domain's figure (or the call's error) to the handler.
  void Answer(const liverun::TAuthorityAnswer& answer, const std::vector<std::string>& domains) {
    Gate.Run([&] {
      for (const std::string& domain : domains) {
        const auto it = answer.Figures.find(domain);
        const std::optional<int> figure = it == answer.Figures.end() ? std::nullopt : it->second;
        if (Handler) Handler(domain, figure, answer.Error);
        if (Gate.Closed()) return;  // stopped from the handler
      }
    });
  }

  // Sends what is queued (all of it, or only a full call's worth).
  void SendQueued(const std::shared_ptr<TState>& self, bool onlyFull) {
    if (onlyFull && Queue.size() < kMaxDomainsPerCall) return;
    Send(self, std::exchange(Queue, {}), 1);
  }
};

TOpenPageRank::TOpenPageRank(live::TLiveClient& client, std::string url, std::string key, THandler handler,
                             int callTimeoutSeconds)
    : FState(std::make_shared<TState>(client, std::move(url), std::move(key), std::move(handler), callTimeoutSeconds)) {}

TOpenPageRank::~TOpenPageRank() { Stop(); }

std::string TOpenPageRank::Request(std::string_view url) {
  std::string domain = AuthorityDomain(url);
  if (domain.empty() || FState->Gate.Closed()) return domain;
  FState->Client.Post([self = FState, domain] {
    if (self->Gate.Closed() || !self->Known.insert(domain).second) return;
    self->Queue.push_back(domain);
    self->SendQueued(self, true);
  });
  return domain;
}

void TOpenPageRank::Flush() {
  if (FState->Gate.Closed()) return;
  FState->Client.Post([self = FState] {
    if (!self->Gate.Closed()) self->SendQueued(self, false);
  });
}

void TOpenPageRank::Stop() {
  FState->Gate.Close();
  FState->Client.Post([self = FState] {
    self->Queue.clear();
    for (const live::TRequestId id : std::exchange(self->InFlight, {})) self->Client.Abort(id);
  });
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
  request.TimeoutSeconds = kCallTimeoutSeconds;
  // A 429 waits once: the limit is per minute or per month.
  request.RetryWait = [](const live::TLiveResponse& response, int attempt) -> std::optional<long> {
    if (response.Status == 429 && attempt > 1) return std::nullopt;
    return live::RetryWaitSeconds(response, attempt);
  };
  return request;
}

liverun::TAuthorityAnswer TOpenPageRank::ParseAnswer(const live::TLiveResponse& response, std::string_view url,
                                            const std::vector<std::string>& domains) {
  const std::string label = ServiceLabel(kService, url);
  liverun::TAuthorityAnswer answer;
  for (const std::string& domain : domains) answer.Figures[domain] = std::nullopt;
  if (!response.Succeeded()) {
    const std::string detail = response.Answered() ? ErrorOfBody(response.Body) : std::string();
    if (response.Answered() && (response.Status == 401 || response.Status == 403)) {
      answer.KeyRefused = true;
      answer.Error = label + " refused the API key (HTTP " + std::to_string(response.Status) +
                     (detail.empty() ? "" : ": " + ShownText(detail)) + "); check openpagerank-key";
    } else if (response.Answered() && response.Status == 429) {
      answer.Error = DescribeFailure(label, response, detail) +
                     ": its per-minute limit or this month's allowance of domains is spent (the free plan: 60 "
                     "calls a minute, 30,000 domains a month)";
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
    if (!figure || !(*figure >= 0 && *figure <= 10)) continue;  // no figure a page can have
    answer.Figures[domain] = RoundAuthority(*figure);
    if (domain == given) exact.insert(domain);
  }
  return answer;
}

}  // namespace halvane::sources
