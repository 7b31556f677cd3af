#pragma once
// The three news requests of the edition: builds each form body, posts it
// through the caller's HTTP client, reads the reply and turns failure codes
// into warnings.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "news/NewsProtocol.h"
#include "branding/TBrandSettings.h"
#include "news/TNewsTier.h"

namespace halvane {

class TMultipartBody;

class TNewsClient {
 public:
  // Posts body to address and returns the reply body; throws on any failure
  // (no connection, error status, client in use).
  using TPost = std::function<std::string(const std::string& address, TMultipartBody& body)>;
  using TWarn = std::function<void(const std::string& text)>;

  TNewsClient(TBrandSettings settings, TPost post, TWarn warn);

  // The edition's tier row, when it makes news requests at all.
  std::optional<TNewsTier> Tier() const { return SelectNewsTier(FSettings); }
  const std::string& ProductCode() const { return FSettings.BranderCode; }

  // On success appends the listed items to list.
  bool RequestList(const std::string& publisherId, const std::string& productCode,
                   const std::string& productTypeCode, const std::string& newsTarget,
                   std::vector<std::string>& list);
  // latestId is cleared first; title is set only by a success that carries
  // a record. quiet suppresses every warning.
  bool RequestLatest(const std::string& publisherId, const std::string& productCode,
                     const std::string& productTypeCode, const std::string& newsTarget, bool quiet,
                     std::string& latestId, std::string& title);
  // body is cleared first and holds the decoded HTML on success.
  bool RequestDetails(const std::string& publisherId, const std::string& productCode,
                      const std::string& productTypeCode, const std::string& newsTarget,
                      const std::string& newsId, std::string& body);

 private:
  // The trimmed reply; empty when the request failed in any way.
  std::string Send(const std::string& productTypeCode, std::string_view script, const TNewsFields& fields);
  void WarnFor(const std::string& reply, TNewsRequestKind kind);

  TBrandSettings FSettings;
  TPost FPost;
  TWarn FWarn;
};

}  // namespace halvane
