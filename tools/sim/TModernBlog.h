#pragma once
// The blogs' posts in the markup WordPress 6.x themes write, for live mode:
// served at the post's path without "/blog" ("/2007/04/garden-17/" beside
// the classic "/blog/2007/04/garden-17/"), so the classic pages stay as they
// are. Even sites look like Twenty Twenty-One (a classic theme with a
// "Recent Comments" widget), odd ones like Twenty Twenty-Three (a block
// theme whose footer credit is rel="nofollow"); every fourth site is no
// WordPress at all and shows an image hot-linked from a WordPress blog.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "TBlogPage.h"
#include "TPageLink.h"
#include "TSimWeb.h"

namespace halvane::sim {

// Where a link of a modern post stands.
enum class TLinkPlace {
  Header,
  PostText,       // the post's text (entry-content / wp-block-post-content)
  CommentAuthor,  // a comment's author link
  CommentText,    // a link in a comment's text
  CommentOwn,     // the blog's own links in a comment: permalink, reply
  CommentForm,    // the cancel-reply link of the comment form
  Widget,         // the Recent Comments widget
  Footer,
};

struct TModernLink {
  TPageLink link;
  TLinkPlace place = TLinkPlace::Header;
  bool nofollow = false;  // rel holds nofollow or sponsored
};

class TModernBlog {
 public:
  explicit TModernBlog(const TSimWeb& web) : web_(web) {}

  static std::string PathOf(const TBlogPage& page);  // "/2007/04/garden-17/"
  // "http://127.0.0.2:PORT/2007/04/garden-17/"; scheme and port as given
  // (port 0: the web's port), for the https listeners too.
  std::string PageAddress(const TBlogPage& page, std::string_view scheme = "http", int port = 0) const;
  // The post a request target names; from the first "&" or "?" on ignored.
  std::optional<TBlogPage> FindPage(int site, std::string_view target) const;
  // WordPress's short address "/?p=N" (N the post's id, its index + 1) on a
  // WordPress site: the permalink's path it redirects to.
  std::optional<std::string> ShortLinkPath(int site, std::string_view target) const;

  // Every <a> of the modern page in page order, with its place.
  std::vector<TModernLink> ModernLinks(const TBlogPage& page) const;
  // The same, target and anchor markup only.
  std::vector<TPageLink> Links(const TBlogPage& page) const;
  std::string Render(const TBlogPage& page) const;

 private:
  struct TParts;
  TParts Parts(const TBlogPage& page) const;
  std::string RenderWordPress(const TBlogPage& page, const TParts& parts) const;
  std::string RenderComments(const TBlogPage& page, const TParts& parts) const;
  std::string RenderOther(const TBlogPage& page, const TParts& parts) const;

  const TSimWeb& web_;
};

}  // namespace halvane::sim
