#pragma once
// The blogs' posts in the markup WordPress 5.x and 6.x themes write, for live
// mode: served at the post's path without "/blog" ("/2007/04/garden-17/"
// beside the classic "/blog/2007/04/garden-17/"), so the classic pages stay
// as they are. Even sites look like Twenty Twenty-One, odd ones like a block
// theme (Twenty Twenty-Three); every fourth site is no WordPress at all.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "TBlogPage.h"
#include "TPageLink.h"
#include "TSimWeb.h"

namespace halvane::sim {

class TModernBlog {
 public:
  explicit TModernBlog(const TSimWeb& web) : web_(web) {}

  static std::string PathOf(const TBlogPage& page);  // "/2007/04/garden-17/"
  // "http://127.0.0.2:PORT/2007/04/garden-17/"; scheme and port as given
  // (port 0: the web's port), for the https listeners too.
  std::string PageAddress(const TBlogPage& page, std::string_view scheme = "http", int port = 0) const;
  // The post a request target names; from the first "&" or "?" on ignored.
  std::optional<TBlogPage> FindPage(int site, std::string_view target) const;

  // Every <a> of the modern page in page order: target and anchor markup.
  std::vector<TPageLink> Links(const TBlogPage& page) const;
  std::string Render(const TBlogPage& page) const;

 private:
  struct TParts;
  TParts Parts(const TBlogPage& page) const;
  std::string RenderWordPress(const TBlogPage& page, const TParts& parts) const;
  std::string RenderOther(const TBlogPage& page, const TParts& parts) const;

  const TSimWeb& web_;
};

}  // namespace halvane::sim
