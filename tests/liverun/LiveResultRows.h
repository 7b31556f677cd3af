#pragma once
// Live results as tests write them: a page with its figures known.
#include <optional>
#include <string>

#include "liverun/TLiveResult.h"

namespace halvane::liverun::test {

inline TLiveResult KnownRow(const std::string& url, bool open, pagetest::TCommentLinks links, bool yourLink,
                            std::optional<int> authority, std::optional<bool> isNew = {}) {
  TLiveResult row;
  row.Url = url;
  row.CommentsOpen = open;
  row.CommentLinks = links;
  row.HasYourLink = yourLink;
  row.AuthorityAwaited = false;
  row.Authority = authority;
  row.IsNew = isNew;
  return row;
}

}  // namespace halvane::liverun::test
