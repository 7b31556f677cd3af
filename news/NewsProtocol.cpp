#include "news/NewsProtocol.h"

#include <algorithm>

#include "base/TextScan.h"

namespace halvane {
namespace {

constexpr char kRecordSeparator = '\xAF';
constexpr char kFieldSeparator = '^';
constexpr std::string_view kEndMarker = "\xAFOK";

// The three requests differ only in their fourth field.
TNewsFields RequestFields(std::string_view publisherId, std::string_view productCode,
                          std::string_view productTypeCode, std::string_view newsTarget,
                          std::string_view fourthName, std::string_view fourthValue) {
  return {{"memusername", std::string(publisherId)},
          {"prodcode", std::string(productCode)},
          {"prodtype", std::string(productTypeCode)},
          {std::string(fourthName), std::string(fourthValue)},
          {"newstarget", std::string(newsTarget)},
          {"something", std::string()}};
}

}  // namespace

std::string NewsBaseUrl(const TBrandSettings& settings, std::string_view productTypeCode) {
  if (productTypeCode == "BM") return settings.MasterNewsBaseURL;
  if (productTypeCode == "BP") return settings.PlatinumNewsBaseURL;
  if (productTypeCode == "BG") return settings.GoldNewsBaseURL;
  return {};
}

std::optional<TNewsTier> SelectNewsTier(const TBrandSettings& s) {
  std::optional<TNewsTier> tier;
  if (s.BranderType == "Master") {
    tier = TNewsTier{"BM", s.MasterPublID, {}};
  } else if (s.BranderType == "Platinum") {
    tier = TNewsTier{"BP", s.PlatinumPublID, {}};
  } else if (s.BranderType == "Gold") {
    tier = TNewsTier{"BG", s.GoldPublID, {}};
  }
  if (!tier || tier->PublisherId.empty()) return std::nullopt;
  tier->BaseUrl = NewsBaseUrl(s, tier->ProductTypeCode);
  return tier;
}

std::string NewsEndpoint(std::string_view baseUrl, std::string_view scriptName) {
  std::string address(baseUrl);
  if (address.empty() || address.back() != '/') address += '/';
  address += scriptName;
  return address;
}

TNewsFields ListRequestFields(std::string_view publisherId, std::string_view productCode,
                              std::string_view productTypeCode, std::string_view newsTarget) {
  return RequestFields(publisherId, productCode, productTypeCode, newsTarget, "conttype", "all");
}

TNewsFields LatestRequestFields(std::string_view publisherId, std::string_view productCode,
                                std::string_view productTypeCode, std::string_view newsTarget) {
  return RequestFields(publisherId, productCode, productTypeCode, newsTarget, "conttype",
                       "lastcode");
}

TNewsFields DetailsRequestFields(std::string_view publisherId, std::string_view productCode,
                                 std::string_view productTypeCode, std::string_view newsTarget,
                                 std::string_view newsId) {
  return RequestFields(publisherId, productCode, productTypeCode, newsTarget, "newsid", newsId);
}

std::string TrimReply(std::string_view reply) { return std::string(TrimBlanks(reply)); }

bool IsSuccessReply(std::string_view reply) { return reply.find("OK") != std::string_view::npos; }

void ParseNewsList(std::string_view reply, std::vector<std::string>& newsList) {
  std::vector<std::string> pieces;
  SplitString(kRecordSeparator, reply, pieces);
  for (std::string& piece : pieces) {
    if (!piece.empty() && piece != "OK") newsList.push_back(std::move(piece));
  }
}

void ParseLatestItem(std::string_view reply, std::string& id, std::string& title) {
  id.clear();
  title.clear();
  const std::string record = RemoveAll(reply, kEndMarker);
  if (record == "OK") return;
  std::vector<std::string> pieces;
  SplitString(kFieldSeparator, record, pieces);
  if (!pieces.empty()) id = std::move(pieces[0]);
  if (pieces.size() > 1) title = std::move(pieces[1]);
}

std::string ParseNewsDetails(std::string_view reply) {
  return DecodeHexEscapes(RemoveAll(reply, kEndMarker));
}

std::optional<std::string> ReplyWarning(std::string_view reply, TNewsRequestKind kind) {
  if (reply.empty()) return "There is a trouble accessing the news site. Contact your provider.";
  if (reply == "CONNECTIONFAIL") return "There is a trouble in the settings file on the news site.";
  if (reply == "INVALIDUSER") return "There is a trouble with the Publisher Id. Contact your provider.";
  if (reply == "INVALIDPRODUCT") {
    return "There is a trouble with the product validation. Contact your provider.";
  }
  if (reply == "INVALIDNEWS" && kind == TNewsRequestKind::Details) {
    return "There is a trouble with this news. Contact your provider.";
  }
  return std::nullopt;
}

int NewsIdToInt(std::string_view id) { return Int32OrZero(id); }

TNewsRow NewsListRow(std::string_view line) {
  std::vector<std::string> pieces;
  SplitString(kFieldSeparator, line, pieces);
  pieces.resize(std::max<std::size_t>(pieces.size(), 3));
  return TNewsRow{std::move(pieces[1]), std::move(pieces[2]), std::move(pieces[0])};
}

std::string NewsHintText(std::string_view title) {
  std::string text(kNewsHintHeading);
  text += "\r\n";
  text += title;
  return text;
}

bool ShouldAnnounce(std::string_view storedId, std::string_view latestId) {
  return NewsIdToInt(latestId) > NewsIdToInt(storedId);
}

}  // namespace halvane
