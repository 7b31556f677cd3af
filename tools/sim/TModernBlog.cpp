#include "TModernBlog.h"

#include "SimText.h"

namespace halvane::sim {

namespace {

constexpr std::string_view kClassicPrefix = "/blog";

std::string Attr(std::string_view name, std::string_view value, char quote) {
  return " " + std::string(name) + "=" + quote + std::string(value) + quote;
}

}  // namespace

// The links of a post by their part in it, each optional but the home and
// footer links.
struct TModernBlog::TParts {
  TPageLink home;
  std::optional<TPageLink> user;     // in the post's text
  std::optional<TPageLink> sponsor;  // in the post's text, rel="sponsored"
  // The first comment: the commenter's author link; the second: a reader
  // without a site, a link in the text. Each with its permalink and, with
  // threaded comments open, its reply link.
  std::optional<TPageLink> author, permalink1, reply1;
  std::optional<TPageLink> textLink, permalink2, reply2;
  bool authorNofollow = false, textNofollow = false;
  std::optional<TPageLink> cancelReply;
  std::optional<TPageLink> widgetAuthor, widgetPost;
  TPageLink footer;
  bool footerNofollow = false;
};

std::string TModernBlog::PathOf(const TBlogPage& page) {
  return page.path.substr(0, kClassicPrefix.size()) == kClassicPrefix ? page.path.substr(kClassicPrefix.size())
                                                                      : page.path;
}

std::string TModernBlog::PageAddress(const TBlogPage& page, std::string_view scheme, int port) const {
  return std::string(scheme) + "://" + TSimWeb::SiteIp(page.site) + ":" +
         std::to_string(port == 0 ? web_.Port() : port) + PathOf(page);
}

std::optional<TBlogPage> TModernBlog::FindPage(int site, std::string_view target) const {
  if (target.substr(0, kClassicPrefix.size() + 1) == "/blog/") return std::nullopt;
  return web_.FindPage(site, std::string(kClassicPrefix) + std::string(target));
}

std::optional<std::string> TModernBlog::ShortLinkPath(int site, std::string_view target) const {
  if (target.substr(0, 2) != "/?" || site < 0 || site >= web_.SiteCount() || !web_.SiteIsWordPress(site)) {
    return std::nullopt;
  }
  const auto id = ParseDecimal(QueryValue(target, "p"), static_cast<std::uint64_t>(web_.Config().pagesPerSite));
  if (!id || *id == 0) return std::nullopt;
  return PathOf(web_.Page(site, static_cast<int>(*id) - 1));
}

TModernBlog::TParts TModernBlog::Parts(const TBlogPage& page) const {
  // The classic page's links: home, the user's (when there is one), commenter.
  const std::string post = "http://" + web_.SiteHost(page.site) + PathOf(page);
  const bool blockTheme = page.site % 2 == 1;
  TParts parts;
  parts.home = page.links.front();
  if (page.links.size() == 3) parts.user = page.links[1];
  if (!page.wordPress) {
    parts.author = page.links.back();
    parts.permalink1 = {post + "#comment-1", "March 1, 2023"};
    parts.footer = {"https://gohugo.io/", "Built with Hugo"};
    return parts;
  }
  if (page.sponsored) {
    parts.sponsor = TPageLink{"https://partner.sim.test/widgets/?ref=site" + std::to_string(page.site),
                              "our partner&#8217;s shop"};
  }
  const auto comment = [&](int n) { return std::to_string(page.index * 2 + n); };
  const auto date = "March " + std::to_string(1 + page.index % 28) + ", 2023 at 9:41 am";
  const bool replies = page.threaded && page.commentsOpen;
  if (page.comments >= 1) {
    parts.author = page.links.back();
    parts.permalink1 = {post + "#comment-" + comment(1), date};
    if (replies) parts.reply1 = {post + "?replytocom=" + comment(1) + "#respond", "Reply"};
    parts.authorNofollow = page.commentFollow == TCommentFollow::Nofollow;
  }
  if (page.comments >= 2) {
    parts.textLink = {"http://notes.sim.test/reader-" + std::to_string(page.site) + "/", "my notes"};
    parts.permalink2 = {post + "#comment-" + comment(2), date};
    if (replies) parts.reply2 = {post + "?replytocom=" + comment(2) + "#respond", "Reply"};
    parts.textNofollow = page.commentFollow != TCommentFollow::Followed;
  }
  if (replies) parts.cancelReply = {PathOf(page) + "#respond", "Cancel reply"};
  if (!blockTheme) {
    // The widget repeats a commenter of the blog on every page, linking to
    // the user's shop as it happens.
    parts.widgetAuthor = {"http://www." + ToLowerAscii(web_.Config().userDomain) + "/", "Shop Fan"};
    parts.widgetPost = {"http://" + web_.SiteHost(page.site) + "/2005/01/hello/#comment-1", "Hello"};
  }
  parts.footer = blockTheme ? TPageLink{"https://wordpress.org", "WordPress"}
                            : TPageLink{"https://wordpress.org/", "Proudly powered by WordPress"};
  parts.footerNofollow = blockTheme;
  return parts;
}

std::vector<TModernLink> TModernBlog::ModernLinks(const TBlogPage& page) const {
  const TParts parts = Parts(page);
  std::vector<TModernLink> links{{parts.home, TLinkPlace::Header, false}};
  const auto add = [&](const std::optional<TPageLink>& link, TLinkPlace place, bool nofollow) {
    if (link) links.push_back({*link, place, nofollow});
  };
  add(parts.user, page.wordPress ? TLinkPlace::PostText : TLinkPlace::Header, false);
  add(parts.sponsor, TLinkPlace::PostText, true);
  const bool own = page.wordPress;  // a page without WordPress has no comment elements
  add(parts.author, own ? TLinkPlace::CommentAuthor : TLinkPlace::Header, parts.authorNofollow);
  add(parts.permalink1, own ? TLinkPlace::CommentOwn : TLinkPlace::Header, false);
  add(parts.reply1, TLinkPlace::CommentOwn, true);
  add(parts.textLink, TLinkPlace::CommentText, parts.textNofollow);
  add(parts.permalink2, TLinkPlace::CommentOwn, false);
  add(parts.reply2, TLinkPlace::CommentOwn, true);
  add(parts.cancelReply, TLinkPlace::CommentForm, true);
  add(parts.widgetAuthor, TLinkPlace::Widget, true);
  add(parts.widgetPost, TLinkPlace::Widget, false);
  links.push_back({parts.footer, TLinkPlace::Footer, parts.footerNofollow});
  return links;
}

std::vector<TPageLink> TModernBlog::Links(const TBlogPage& page) const {
  std::vector<TPageLink> links;
  for (const TModernLink& link : ModernLinks(page)) links.push_back(link.link);
  return links;
}

std::string TModernBlog::Render(const TBlogPage& page) const {
  const TParts parts = Parts(page);
  return page.wordPress ? RenderWordPress(page, parts) : RenderOther(page, parts);
}

std::string TModernBlog::RenderWordPress(const TBlogPage& p, const TParts& parts) const {
  const std::string host = "http://" + web_.SiteHost(p.site);
  const bool block = p.site % 2 == 1;
  const std::string title = EscapeHtml(p.title);
  const std::string site = EscapeHtml(web_.SiteName(p.site));
  std::string s;
  s.reserve(8192);
  s += "<!DOCTYPE html>\n<html lang=\"en-US\">\n<head>\n\t<meta charset=\"UTF-8\" />\n"
       "\t<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\" />\n"
       "<meta name='robots' content='max-image-preview:large' />\n<title>" +
       title + " &#8211; " + site + "</title>\n";
  if (p.sign == TWordPressSign::Full) {
    s += "<link rel='stylesheet' id='wp-block-library-css' href='" + host +
         "/wp-includes/css/dist/block-library/style.min.css?ver=6.1.9' media='all' />\n";
    s += block ? "<link rel='stylesheet' id='twentytwentythree-style-css' href='" + host +
                     "/wp-content/themes/twentytwentythree/style.css?ver=1.0' media='all' />\n"
               : "<link rel='stylesheet' id='twenty-twenty-one-style-css' href='" + host +
                     "/wp-content/themes/twentytwentyone/style.css?ver=1.7' media='all' />\n";
  } else {
    s += "<link rel=\"stylesheet\" href=\"https://cdn.sim.test/site" + std::to_string(p.site) +
         "/theme.min.css\" media=\"all\" />\n";
  }
  if (p.sign != TWordPressSign::GeneratorOnly) {
    s += "<link rel=\"https://api.w.org/\" href=\"" + host + "/wp-json/\" />";
    s += "<link rel=\"alternate\" type=\"application/json\" href=\"" + host + "/wp-json/wp/v2/posts/" +
         std::to_string(p.index + 1) + "\" />\n";
  }
  if (p.sign != TWordPressSign::ApiLinkOnly) s += "<meta name=\"generator\" content=\"WordPress 6.1.9\" />\n";
  s += "<link rel=\"canonical\" href=\"" + host + PathOf(p) + "\" />\n</head>\n\n";
  s += "<body class=\"post-template-default single single-post postid-" + std::to_string(p.index + 1) +
       " single-format-standard wp-embed-responsive\">\n";
  s += block ? "<div class=\"wp-site-blocks\"><header class=\"wp-block-template-part\">\n"
               "<p class=\"wp-block-site-title\"><a href=\"" + parts.home.target +
               "\" target=\"_self\" rel=\"home\">" + parts.home.anchor + "</a></p>\n</header>\n"
             : "<div id=\"page\" class=\"site\">\n<header id=\"masthead\" class=\"site-header\" role=\"banner\">\n"
               "<p class=\"site-title\"><a href=\"" + parts.home.target + "\">" + parts.home.anchor +
               "</a></p>\n</header>\n";
  s += "<main id=\"main\" class=\"site-main\">\n<article class=\"post type-post status-publish entry\">\n"
       "<h1 class=\"entry-title\">" + title + "</h1>\n<div class=\"" +
       (block ? "entry-content wp-block-post-content is-layout-flow" : "entry-content") +
       "\">\n<p>Today a few words about " + p.title.substr(9) +
       ". Leave a comment below and tell us what you think.</p>\n";
  if (parts.user) {
    s += "<p>This post was kindly supported by ";
    s += p.userLink == TUserLinkForm::SingleQuoted
             ? "<a class=\"sponsor\" href='" + parts.user->target + "'>" + parts.user->anchor + "</a>"
             : "<a href=\"" + parts.user->target + "\" title=\"sponsor\">" + parts.user->anchor + "</a>";
    s += ".</p>\n";
  }
  if (parts.sponsor) {
    s += "<p>Widgets for this post came from <a href=\"" + parts.sponsor->target +
         "\" rel=\"sponsored noopener\" target=\"_blank\">" + parts.sponsor->anchor + "</a>.</p>\n";
  }
  s += "</div>\n</article>\n\n" + RenderComments(p, parts) + "</main>\n";
  if (parts.widgetAuthor) {
    s += "<aside class=\"widget-area\"><section id=\"recent-comments-2\" class=\"widget widget_recent_comments\">"
         "<h2 class=\"widget-title\">Recent Comments</h2><nav aria-label=\"Recent Comments\"><ul id=\"recentcomments\">"
         "<li class=\"recentcomments\"><span class=\"comment-author-link\"><a href=\"" + parts.widgetAuthor->target +
         "\" class=\"url\" rel=\"ugc external nofollow\">" + parts.widgetAuthor->anchor + "</a></span> on <a href=\"" +
         parts.widgetPost->target + "\">" + parts.widgetPost->anchor + "</a></li></ul></nav></section></aside>\n";
  }
  s += block ? "<footer class=\"wp-block-template-part\"><p class=\"has-text-align-right\">Proudly powered by <a href=\"" +
                   parts.footer.target + "\" rel=\"nofollow\">" + parts.footer.anchor + "</a></p></footer>\n</div>\n"
             : "<footer id=\"colophon\" class=\"site-footer\"><div class=\"powered-by\"><a href=\"" +
                   parts.footer.target + "\">" + parts.footer.anchor + "</a></div></footer>\n</div>\n";
  if (p.sign == TWordPressSign::Full && p.commentsOpen && p.threaded) {
    s += "<script src='" + host + "/wp-includes/js/comment-reply.min.js?ver=6.1.9' id='comment-reply-js' async></script>\n";
  }
  s += "</body>\n</html>\n";
  return s;
}

std::string TModernBlog::RenderComments(const TBlogPage& p, const TParts& parts) const {
  const bool block = p.site % 2 == 1;
  const std::string host = "http://" + web_.SiteHost(p.site);
  const auto open = [&](int n, int depth, const std::string& body) {
    const std::string id = std::to_string(p.index * 2 + n);
    return "<li id=\"comment-" + id + "\" class=\"comment " + (n == 1 ? "even" : "odd") + " thread-even depth-" +
           std::to_string(depth) + "\">\n" +
           (block ? body : "<article id=\"div-comment-" + id + "\" class=\"comment-body\">\n" + body + "</article>\n");
  };
  const auto meta = [&](const std::string& author, const TPageLink& permalink) {
    return block ? "<div class=\"wp-block-comment-author-name\">" + author +
                       "</div>\n<div class=\"wp-block-comment-date\"><time datetime=\"2023-03-01T09:41:00+00:00\"><a href=\"" +
                       permalink.target + "\">" + permalink.anchor + "</a></time></div>\n"
                 : "<footer class=\"comment-meta\"><div class=\"comment-author vcard\"><b class=\"fn\">" + author +
                       "</b> <span class=\"says\">says:</span></div>\n<div class=\"comment-metadata\"><a href=\"" +
                       permalink.target + "\"><time datetime=\"2023-03-01T09:41:00+00:00\">" + permalink.anchor +
                       "</time></a></div>\n</footer>\n";
  };
  const auto reply = [&](const std::optional<TPageLink>& link, int n) -> std::string {
    if (!link) return "";
    return std::string(block ? "<div class=\"wp-block-comment-reply-link\">" : "<div class=\"reply\">") +
           "<a rel='nofollow' class='comment-reply-link' href='" + link->target + "' data-commentid=\"" +
           std::to_string(p.index * 2 + n) + "\" aria-label='Reply'>" + link->anchor + "</a></div>\n";
  };
  std::string s = "<div id=\"comments\" class=\"comments-area\">\n";
  if (parts.author) {
    const TPageLink& a = *parts.author;
    const std::string rel = parts.authorNofollow ? "external nofollow ugc" : "external ugc";
    const std::string author = block ? "<a rel=\"" + rel + "\" href=\"" + a.target + "\" target=\"_self\" >" + a.anchor + "</a>"
                                     : "<a href='" + a.target + "' rel='" + rel + "' class='url'>" + a.anchor + "</a>";
    s += "<h2 class=\"comments-title\">" + std::string(parts.textLink ? "2 comments" : "One comment") +
         "</h2>\n<ol class=\"comment-list\">\n" +
         open(1, 1, meta(author, *parts.permalink1) + "<div class=\"comment-content\"><p>Great post, thanks!</p></div>\n" +
                        reply(parts.reply1, 1));
    std::string second;
    if (parts.textLink) {
      const std::string rel = parts.textNofollow ? "nofollow ugc" : "ugc";
      second = open(2, p.threaded ? 2 : 1,
                    meta("Reader", *parts.permalink2) + "<div class=\"comment-content\"><p>More on <a href=\"" +
                        parts.textLink->target + "\" rel=\"" + rel + "\">" + parts.textLink->anchor + "</a>.</p></div>\n" +
                        reply(parts.reply2, 2)) +
               "</li><!-- #comment-## -->\n";
    }
    s += p.threaded && !second.empty() ? "<ol class=\"children\">\n" + second + "</ol>\n</li><!-- #comment-## -->\n"
                                       : "</li><!-- #comment-## -->\n" + second;
    s += "</ol>\n";
  }
  if (p.commentsOpen) {
    s += "<div id=\"respond\" class=\"comment-respond\">\n<h3 id=\"reply-title\" class=\"comment-reply-title\">"
         "Leave a Reply";
    if (parts.cancelReply) {
      s += " <small><a rel=\"nofollow\" id=\"cancel-comment-reply-link\" href=\"" + parts.cancelReply->target +
           "\" style=\"display:none;\">" + parts.cancelReply->anchor + "</a></small>";
    }
    s += "</h3><form" + Attr("action", host + "/wp-comments-post.php", '"') +
         " method=\"post\" id=\"commentform\" class=\"comment-form\" novalidate>"
         "<p class=\"comment-form-comment\"><label for=\"comment\">Comment <span class=\"required\">*</span></label> "
         "<textarea id=\"comment\" name=\"comment\" cols=\"45\" rows=\"8\" maxlength=\"65525\" required></textarea></p>"
         "<p class=\"form-submit\"><input name=\"submit\" type=\"submit\" id=\"submit\" class=\"submit\" "
         "value=\"Post Comment\" /> <input type='hidden' name='comment_post_ID' value='" +
         std::to_string(p.index + 1) + "' id='comment_post_ID' /></p></form>\n</div><!-- #respond -->\n";
  } else {
    s += "<p class=\"no-comments\">Comments are closed.</p>\n";
  }
  return s + "</div><!-- #comments -->\n";
}

std::string TModernBlog::RenderOther(const TBlogPage& p, const TParts& parts) const {
  // A static site that shows an image from a WordPress blog of the web.
  const std::string title = EscapeHtml(p.title);
  const int blog = p.site == 0 ? 1 : 0;
  std::string s = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                  "<meta name=\"generator\" content=\"Hugo 0.121.1\">\n<title>" + title + " \xC2\xB7 " +
                  EscapeHtml(web_.SiteName(p.site)) + "</title>\n<link rel=\"stylesheet\" href=\"/css/main.min.css\">\n"
                  "<link rel=\"canonical\" href=\"" + PageAddress(p) + "\">\n"
                  "</head>\n<body>\n<header><a href=\"" + parts.home.target + "\">" + parts.home.anchor +
                  "</a></header>\n<main>\n<article>\n<h1>" + title + "</h1>\n<p>Today a few words about " +
                  p.title.substr(9) + ".</p>\n<img src=\"http://" + web_.SiteHost(blog) +
                  "/wp-content/uploads/2023/03/widget.jpg\" alt=\"A blue widget\">\n";
  if (parts.user) {
    s += "<p>Supported by <a href=\"" + parts.user->target + "\">" + parts.user->anchor + "</a>.</p>\n";
  }
  s += "<section class=\"comments\"><p><a href=\"" + parts.author->target + "\">" + parts.author->anchor +
       "</a> wrote <a href=\"" + parts.permalink1->target + "\">on " + parts.permalink1->anchor +
       "</a>: Great post!</p>\n<form action=\"/comments/submit\" method=\"post\"><textarea name=\"comment\">"
       "</textarea></form></section>\n</article>\n</main>\n<footer><a href=\"" + parts.footer.target + "\">" +
       parts.footer.anchor + "</a></footer>\n</body>\n</html>\n";
  return s;
}

}  // namespace halvane::sim
