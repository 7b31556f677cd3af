#include "TModernBlog.h"

#include "SimText.h"

namespace halvane::sim {

namespace {

constexpr std::string_view kClassicPrefix = "/blog";

std::string Attr(std::string_view name, std::string_view value, char quote) {
  return " " + std::string(name) + "=" + quote + std::string(value) + quote;
}

}  // namespace

// The links of a post by their part in it; the user's and the sponsor's are
// optional.
struct TModernBlog::TParts {
  TPageLink home;
  std::optional<TPageLink> user;
  std::optional<TPageLink> sponsor;
  TPageLink commenter;
  TPageLink permalink;
  std::optional<TPageLink> reply;
  TPageLink footer;
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

TModernBlog::TParts TModernBlog::Parts(const TBlogPage& page) const {
  // The classic page's links: home, the user's (when there is one), commenter.
  const std::string host = "http://" + web_.SiteHost(page.site);
  TParts parts;
  parts.home = page.links.front();
  if (page.links.size() == 3) parts.user = page.links[1];
  if (page.wordPress && page.commentRel == TCommentRel::RemovedWithSponsor) {
    parts.sponsor = TPageLink{"https://partner.sim.test/widgets/?ref=site" + std::to_string(page.site),
                              "our partner&#8217;s shop"};
  }
  parts.commenter = page.links.back();
  if (page.wordPress && page.commentRel == TCommentRel::NofollowUgc) {
    // The commenter left the address in the text, not as the author's site.
    parts.commenter.target += "notes/";
  }
  parts.permalink = {host + PathOf(page) + "#comment-" + std::to_string(page.index + 1),
                     "March " + std::to_string(1 + page.index % 28) + ", 2023 at 9:41 am"};
  const bool nofollowTheme = page.commentRel != TCommentRel::Removed &&
                             page.commentRel != TCommentRel::RemovedWithSponsor;
  if (page.wordPress && page.commentsOpen && nofollowTheme) {
    parts.reply = TPageLink{host + PathOf(page) + "?replytocom=" + std::to_string(page.index + 1) + "#respond",
                            "Reply"};
  }
  parts.footer = page.wordPress ? TPageLink{"https://wordpress.org/", "Proudly powered by WordPress"}
                                : TPageLink{"https://gohugo.io/", "Built with Hugo"};
  return parts;
}

std::vector<TPageLink> TModernBlog::Links(const TBlogPage& page) const {
  const TParts parts = Parts(page);
  std::vector<TPageLink> links{parts.home};
  if (parts.user) links.push_back(*parts.user);
  if (parts.sponsor) links.push_back(*parts.sponsor);
  links.push_back(parts.commenter);
  links.push_back(parts.permalink);
  if (parts.reply) links.push_back(*parts.reply);
  links.push_back(parts.footer);
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
  s.reserve(6144);
  s += "<!DOCTYPE html>\n<html lang=\"en-US\">\n<head>\n\t<meta charset=\"UTF-8\" />\n"
       "\t<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\" />\n"
       "<meta name='robots' content='max-image-preview:large' />\n<title>" +
       title + " &#8211; " + site + "</title>\n";
  if (p.sign == TWordPressSign::Full) {
    s += "<link rel='stylesheet' id='wp-block-library-css' href='" + host +
         "/wp-includes/css/dist/block-library/style.min.css?ver=6.4.2' media='all' />\n";
    s += block ? "<link rel='stylesheet' id='twentytwentythree-style-css' href='" + host +
                     "/wp-content/themes/twentytwentythree/style.css?ver=1.3' media='all' />\n"
               : "<link rel='stylesheet' id='twenty-twenty-one-style-css' href='" + host +
                     "/wp-content/themes/twentytwentyone/style.css?ver=2.1' media='all' />\n";
  } else {
    s += "<link rel=\"stylesheet\" href=\"https://cdn.sim.test/site" + std::to_string(p.site) +
         "/theme.min.css\" media=\"all\" />\n";
  }
  if (p.sign != TWordPressSign::GeneratorOnly) {
    s += "<link rel=\"https://api.w.org/\" href=\"" + host + "/wp-json/\" />";
    s += "<link rel=\"alternate\" type=\"application/json\" href=\"" + host + "/wp-json/wp/v2/posts/" +
         std::to_string(p.index + 1) + "\" />\n";
  }
  if (p.sign != TWordPressSign::ApiLinkOnly) s += "<meta name=\"generator\" content=\"WordPress 6.4.2\" />\n";
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
       "<h1 class=\"entry-title\">" + title + "</h1>\n<div class=\"entry-content\">\n<p>Today a few words about " +
       p.title.substr(9) + ". Leave a comment below and tell us what you think.</p>\n";
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
  s += "</div>\n</article>\n\n<div id=\"comments\" class=\"comments-area\">\n"
       "<h2 class=\"comments-title\">One comment</h2>\n<ol class=\"comment-list\">\n"
       "<li id=\"comment-" + std::to_string(p.index + 1) + "\" class=\"comment even thread-even depth-1\">\n"
       "<article class=\"comment-body\">\n<footer class=\"comment-meta\"><div class=\"comment-author vcard\">"
       "<img alt='' src='https://secure.gravatar.com/avatar/" + std::to_string(p.site) +
       "?s=60&#038;d=mm&#038;r=g' class='avatar avatar-60 photo' height='60' width='60' loading='lazy'/>";
  const TPageLink& c = parts.commenter;
  switch (p.commentRel) {
    case TCommentRel::NofollowUgc:
      s += "<b class=\"fn\">" + c.anchor + "</b>";
      break;
    case TCommentRel::ExternalNofollowUgc:
      s += "<b class=\"fn\"><a href='" + c.target + "' rel='external nofollow ugc' class='url'>" + c.anchor + "</a></b>";
      break;
    case TCommentRel::UgcExternalNofollow:
      s += "<div class=\"wp-block-comment-author-name\"><a rel=\"ugc external nofollow\" href=\"" + c.target +
           "\" target=\"_self\" >" + c.anchor + "</a></div>";
      break;
    case TCommentRel::Removed:
    case TCommentRel::RemovedWithSponsor:
      s += "<b class=\"fn\"><a href='" + c.target + "' rel='external ugc' class='url'>" + c.anchor + "</a></b>";
      break;
  }
  s += " <span class=\"says\">says:</span></div>\n<div class=\"comment-metadata\"><a href=\"" +
       parts.permalink.target + "\"><time datetime=\"2023-03-01T09:41:00+00:00\">" + parts.permalink.anchor +
       "</time></a></div>\n</footer>\n<div class=\"comment-content\"><p>Great post, thanks!";
  if (p.commentRel == TCommentRel::NofollowUgc) {
    s += " More on <a href=\"" + c.target + "\" rel=\"nofollow ugc\">my notes</a>.";
  }
  s += "</p></div>\n";
  if (parts.reply) {
    s += "<div class=\"reply\"><a rel='nofollow' class='comment-reply-link' href='" + parts.reply->target +
         "' data-commentid=\"" + std::to_string(p.index + 1) + "\" aria-label='Reply'>" + parts.reply->anchor +
         "</a></div>\n";
  }
  s += "</article>\n</li><!-- #comment-## -->\n</ol>\n";
  if (p.commentsOpen) {
    s += "<div id=\"respond\" class=\"comment-respond\">\n<h3 id=\"reply-title\" class=\"comment-reply-title\">"
         "Leave a Reply</h3><form" + Attr("action", host + "/wp-comments-post.php", '"') +
         " method=\"post\" id=\"commentform\" class=\"comment-form\" novalidate>"
         "<p class=\"comment-form-comment\"><label for=\"comment\">Comment <span class=\"required\">*</span></label> "
         "<textarea id=\"comment\" name=\"comment\" cols=\"45\" rows=\"8\" maxlength=\"65525\" required></textarea></p>"
         "<p class=\"comment-form-author\"><label for=\"author\">Name</label> <input id=\"author\" name=\"author\" "
         "type=\"text\" value=\"\" size=\"30\" maxlength=\"245\" required /></p>\n<p class=\"form-submit\"><input "
         "name=\"submit\" type=\"submit\" id=\"submit\" class=\"submit\" value=\"Post Comment\" /> <input "
         "type='hidden' name='comment_post_ID' value='" + std::to_string(p.index + 1) +
         "' id='comment_post_ID' /></p></form>\n</div><!-- #respond -->\n";
  } else {
    s += "<p class=\"no-comments\">Comments are closed.</p>\n";
  }
  s += "</div><!-- #comments -->\n</main>\n<footer id=\"colophon\" class=\"site-footer\">"
       "<div class=\"powered-by\"><a href=\"" + parts.footer.target + "\">" + parts.footer.anchor +
       "</a></div></footer>\n</div>\n";
  if (p.sign == TWordPressSign::Full && p.commentsOpen) {
    s += "<script src='" + host + "/wp-includes/js/comment-reply.min.js?ver=6.4.2' id='comment-reply-js' async></script>\n";
  }
  s += "</body>\n</html>\n";
  return s;
}

std::string TModernBlog::RenderOther(const TBlogPage& p, const TParts& parts) const {
  const std::string title = EscapeHtml(p.title);
  std::string s = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                  "<meta name=\"generator\" content=\"Hugo 0.121.1\">\n<title>" + title + " \xC2\xB7 " +
                  EscapeHtml(web_.SiteName(p.site)) + "</title>\n<link rel=\"stylesheet\" href=\"/css/main.min.css\">\n"
                  "</head>\n<body>\n<header><a href=\"" + parts.home.target + "\">" + parts.home.anchor +
                  "</a></header>\n<main>\n<article>\n<h1>" + title + "</h1>\n<p>Today a few words about " +
                  p.title.substr(9) + ".</p>\n";
  if (parts.user) {
    s += "<p>Supported by <a href=\"" + parts.user->target + "\">" + parts.user->anchor + "</a>.</p>\n";
  }
  s += "<section class=\"comments\"><p><a href=\"" + parts.commenter.target + "\">" + parts.commenter.anchor +
       "</a> wrote <a href=\"" + parts.permalink.target + "\">on " + parts.permalink.anchor +
       "</a>: Great post!</p>\n<form action=\"/comments/submit\" method=\"post\"><textarea name=\"comment\">"
       "</textarea></form></section>\n</article>\n</main>\n<footer><a href=\"" + parts.footer.target + "\">" +
       parts.footer.anchor + "</a></footer>\n</body>\n</html>\n";
  return s;
}

}  // namespace halvane::sim
