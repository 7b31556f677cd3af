#pragma once
// The news service: choice of server by edition, the request fields, and the
// reading of the replies.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "branding/TBrandSettings.h"
#include "news/TNewsRow.h"
#include "news/TNewsTier.h"

namespace halvane {

enum class TNewsRequestKind { List, Latest, Details };

using TNewsFields = std::vector<std::pair<std::string, std::string>>;

inline constexpr std::string_view kNewsTarget = "UA";
inline constexpr std::string_view kNewsListScript = "getlastnews.php";
inline constexpr std::string_view kNewsDetailsScript = "getnewsdetails.php";
inline constexpr std::string_view kNoNewsNotice = "There's no news for this application!";
inline constexpr std::string_view kNewsHintHeading = "You've Got A Message!";

// The row of "Master", "Platinum" or "Gold" (exact words) whose publisher
// identity is not empty; nothing for any other edition, "Free" included.
std::optional<TNewsTier> SelectNewsTier(const TBrandSettings& settings);
// The news server base address of a product type code ("BM", "BP", "BG");
// empty for any other code.
std::string NewsBaseUrl(const TBrandSettings& settings, std::string_view productTypeCode);

// base + script name with exactly one "/" added when base lacks it.
std::string NewsEndpoint(std::string_view baseUrl, std::string_view scriptName);

// The text fields of each request, in the order they go into the body.
TNewsFields ListRequestFields(std::string_view publisherId, std::string_view productCode,
                              std::string_view productTypeCode, std::string_view newsTarget);
TNewsFields LatestRequestFields(std::string_view publisherId, std::string_view productCode,
                                std::string_view productTypeCode, std::string_view newsTarget);
TNewsFields DetailsRequestFields(std::string_view publisherId, std::string_view productCode,
                                 std::string_view productTypeCode, std::string_view newsTarget,
                                 std::string_view newsId);

// Bytes 0x20 and below removed from both ends.
std::string TrimReply(std::string_view reply);
// A trimmed reply is a success when it holds "OK" anywhere.
bool IsSuccessReply(std::string_view reply);

// List reply: appends every piece between 0xAF bytes that is neither empty
// nor "OK" to newsList.
void ParseNewsList(std::string_view reply, std::vector<std::string>& newsList);
// Latest-item reply: id and title of the record; both empty for "OK"
// alone, the title empty when the record has no second field.
void ParseLatestItem(std::string_view reply, std::string& id, std::string& title);
// Details reply: the item's HTML with the end marker removed and the "$XX"
// escapes decoded (empty for a malformed escape).
std::string ParseNewsDetails(std::string_view reply);

// The warning for a failed (trimmed) reply, when it is one of the codes the
// request kind knows; "INVALIDNEWS" only for details.
std::optional<std::string> ReplyWarning(std::string_view reply, TNewsRequestKind kind);

// A news id as a signed 32-bit whole number; anything else counts as 0.
int NewsIdToInt(std::string_view id);

// A NewsList line (id^title^date) as the window shows it; missing pieces
// are empty.
TNewsRow NewsListRow(std::string_view line);

// "You've Got A Message!" CR LF title
std::string NewsHintText(std::string_view title);

// Whether the latest item is newer than the one opened last.
bool ShouldAnnounce(std::string_view storedId, std::string_view latestId);

}  // namespace halvane
