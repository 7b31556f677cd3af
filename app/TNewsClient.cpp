#include "app/TNewsClient.h"

#include "net/TMultipartBody.h"

namespace halvane {

TNewsClient::TNewsClient(TBrandSettings settings, TPost post, TWarn warn)
    : FSettings(std::move(settings)), FPost(std::move(post)), FWarn(std::move(warn)) {}

std::string TNewsClient::Send(const std::string& productTypeCode, std::string_view script,
                              const TNewsFields& fields) {
  try {
    TMultipartBody body;
    for (const auto& [name, value] : fields) body.AddField(name, value);
    return TrimReply(FPost(NewsEndpoint(NewsBaseUrl(FSettings, productTypeCode), script), body));
  } catch (...) {
    // Unreachable server, error status, a body that cannot be built: all
    // read as an empty reply.
    return {};
  }
}

void TNewsClient::WarnFor(const std::string& reply, TNewsRequestKind kind) {
  if (const auto warning = ReplyWarning(reply, kind); warning && FWarn) FWarn(*warning);
}

bool TNewsClient::RequestList(const std::string& publisherId, const std::string& productCode,
                              const std::string& productTypeCode, const std::string& newsTarget,
                              std::vector<std::string>& list) {
  const std::string reply = Send(productTypeCode, kNewsListScript,
                                 ListRequestFields(publisherId, productCode, productTypeCode, newsTarget));
  if (IsSuccessReply(reply)) {
    ParseNewsList(reply, list);
    return true;
  }
  WarnFor(reply, TNewsRequestKind::List);
  return false;
}

bool TNewsClient::RequestLatest(const std::string& publisherId, const std::string& productCode,
                                const std::string& productTypeCode, const std::string& newsTarget, bool quiet,
                                std::string& latestId, std::string& title) {
  latestId.clear();
  const std::string reply = Send(productTypeCode, kNewsListScript,
                                 LatestRequestFields(publisherId, productCode, productTypeCode, newsTarget));
  if (IsSuccessReply(reply)) {
    std::string id;
    std::string itemTitle;
    ParseLatestItem(reply, id, itemTitle);
    latestId = id;
    if (!id.empty() || !itemTitle.empty()) title = itemTitle;
    return true;
  }
  if (!quiet) WarnFor(reply, TNewsRequestKind::Latest);
  return false;
}

bool TNewsClient::RequestDetails(const std::string& publisherId, const std::string& productCode,
                                 const std::string& productTypeCode, const std::string& newsTarget,
                                 const std::string& newsId, std::string& body) {
  body.clear();
  const std::string reply =
      Send(productTypeCode, kNewsDetailsScript,
           DetailsRequestFields(publisherId, productCode, productTypeCode, newsTarget, newsId));
  if (IsSuccessReply(reply)) {
    body = ParseNewsDetails(reply);
    return true;
  }
  WarnFor(reply, TNewsRequestKind::Details);
  return false;
}

}  // namespace halvane
