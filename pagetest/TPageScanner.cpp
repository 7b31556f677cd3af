#include "pagetest/TPageScanner.h"

#include <algorithm>

#include "base/HostName.h"
#include "base/TextScan.h"

#include "pagetest/LinkHost.h"
#include "pagetest/PageTest.h"
#include "pagetest/PageText.h"

namespace halvane::pagetest {

namespace {

// A canonical address longer than this is no address a page means.
constexpr std::size_t kMaxCanonicalBytes = 8192;
// Hosts of WordPress addresses kept until the page's host is known.
constexpr std::size_t kMaxPendingSignHosts = 8;

std::string AnchorText(std::string_view collapsed) {
  // The text can be nothing but the start of a character cut by the length
  // limit, which leaves nothing to show either.
  std::string text = RepairUtf8(WithoutCutSequence(collapsed));
  return text.empty() ? "-" : text;
}

bool IsWordPressPath(std::string_view address) {
  return address.find("/wp-content/") != std::string_view::npos ||
         address.find("/wp-includes/") != std::string_view::npos;
}

// "comment-" and digits: the element WordPress writes for each comment
// (not "div-comment-2", not "comments").
bool IsCommentId(std::string_view id) noexcept {
  constexpr std::string_view kPrefix = "comment-";
  if (id.size() <= kPrefix.size() || id.substr(0, kPrefix.size()) != kPrefix) return false;
  return std::all_of(id.begin() + kPrefix.size(), id.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsNofollow(std::string_view rel) noexcept { return HasToken(rel, "nofollow") || HasToken(rel, "sponsored"); }

// WordPress's own links inside a comment: reply, log in to reply, edit,
// cancel the reply.
bool IsWordPressCommentLink(std::string_view classes, std::string_view id) noexcept {
  return HasToken(classes, "comment-reply-link") || HasToken(classes, "comment-reply-login") ||
         HasToken(classes, "comment-edit-link") || id == "cancel-comment-reply-link";
}

// Shown in the reason; hostile pages get no screenful of address.
std::string Shortened(std::string_view text) {
  constexpr std::size_t kMax = 200;
  return RepairUtf8(text.size() <= kMax ? text : text.substr(0, kMax));
}

std::string HostForm(std::string_view host) {
  std::string ascii = AsciiHostName(TrimHtmlSpace(host)).value_or("");
  if (!ascii.empty() && ascii.back() == '.') ascii.pop_back();
  return ascii;
}

}  // namespace

// The attributes the test reads, found in one pass over the element's.
struct TPageScanner::TAttributes {
  std::string_view Id, Class, Href, Src, Rel, Name, Content, Action;
  bool HasHref = false;

  explicit TAttributes(const char* const* attributes) {
    if (attributes == nullptr) return;
    for (std::size_t i = 0; attributes[i] != nullptr; i += 2) {
      const std::string_view name = attributes[i];
      const std::string_view value = attributes[i + 1] == nullptr ? std::string_view() : attributes[i + 1];
      // By length first: every element passes here.
      switch (name.size()) {
        case 2:
          if (name == "id") Id = value;
          break;
        case 3:
          if (name == "rel") Rel = value;
          if (name == "src") Src = value;
          break;
        case 4:
          if (name == "href" && !HasHref) {
            Href = value;
            HasHref = true;
          }
          if (name == "name") Name = value;
          break;
        case 5:
          if (name == "class") Class = value;
          break;
        case 6:
          if (name == "action") Action = value;
          break;
        case 7:
          if (name == "content") Content = value;
          break;
        default:
          break;
      }
    }
  }
};

TPageScanner::TPageScanner(const TPageContext& context, std::size_t maxDepth)
    : FUserDomain(UserDomainHost(context.UserDomain)), FMaxDepth(maxDepth) {
  std::string host = HostForm(context.PageHost);
  if (!host.empty()) {
    std::string site = HostForm(context.PageSite);
    SetPageHost(host, site.empty() ? host : site);
  }
}

void TPageScanner::SetPageHost(std::string host, std::string site) {
  FPageHost = std::move(host);
  FPageSite = std::move(site);
  FVerdict.PageHost = FPageHost;
  for (const std::string& pending : FPendingSignHosts) {
    if (IsSameOrSubdomain(pending, FPageSite)) FVerdict.IsWordPress = true;
  }
  FPendingSignHosts.clear();
}

bool TPageScanner::StartElement(std::string_view name, const char* const* attributes) {
  if (++FDepth > FMaxDepth) {
    FTooDeep = true;
    return false;
  }
  const TAttributes found(attributes);
  CheckWordPressSigns(name, found);
  if (FCommentDepth == 0 && IsCommentId(found.Id)) FCommentDepth = FDepth;
  // Class tokens match by case, as in browsers; most classes lack "content".
  if (FPostTextDepth == 0 && found.Class.find("content") != std::string_view::npos &&
      (HasToken(found.Class, "entry-content") || HasToken(found.Class, "wp-block-post-content"))) {
    FPostTextDepth = FDepth;
  }
  if (name == "a") {
    // Links do not nest: a browser ends an open link where the next one
    // starts, even when the parser left it open under unclosed markup.
    if (FAnchorDepth != 0) FinishAnchor();
    if (found.HasHref) CheckAnchor(found);
  } else if (name == "form") {
    CheckForm(found);
  } else if (FCommentFormDepth != 0 && (name == "textarea" || name == "input")) {
    if (found.Name == "comment") FVerdict.CommentsOpen = FVerdict.IsWordPress = true;
  } else if (name == "link" && FVerdict.Canonical.empty()) {
    TakeCanonical(found);
  }
  return true;
}

void TPageScanner::EndElement() {
  if (FDepth == 0) return;
  if (FDepth == FAnchorDepth) FinishAnchor();
  if (FDepth == FCommentFormDepth) FCommentFormDepth = 0;
  if (FDepth == FCommentDepth) FCommentDepth = 0;
  if (FDepth == FPostTextDepth) FPostTextDepth = 0;
  --FDepth;
}

void TPageScanner::FinishAnchor() {
  FAnchorDepth = 0;
  FVerdict.Anchor = AnchorText(FAnchorText);
  FAnchorText.clear();
  FAnchorText.shrink_to_fit();
  FAnchorBlank = false;
}

void TPageScanner::Text(std::string_view text) {
  if (FAnchorDepth != 0) AppendCollapsed(FAnchorText, FAnchorBlank, text, kMaxAnchorBytes);
}

bool TPageScanner::ParseError() {
  // Each error counts the open elements plus a fixed share for the
  // message the parser formats; the budget is about half a second of work, far
  // above what sloppy but real pages need (two million errors at depth 20).
  constexpr std::size_t kErrorShare = 100;
  constexpr std::size_t kWorkBudget = std::size_t{1} << 28;
  ++FErrors;
  FErrorWork += FDepth + kErrorShare;
  if (FErrorWork > kWorkBudget) FTooBroken = true;
  return !FTooBroken;
}

void TPageScanner::CheckWordPressSigns(std::string_view name, const TAttributes& found) {
  if (FVerdict.IsWordPress) return;
  if (IsWordPressPath(found.Src)) CheckWordPressAddress(found.Src);
  if (IsWordPressPath(found.Href)) CheckWordPressAddress(found.Href);
  if (name == "meta") {
    if (EqualsNoCase(found.Name, "generator") && StartsWithNoCase(TrimHtmlSpace(found.Content), "wordpress")) {
      FVerdict.IsWordPress = true;
    }
  } else if (name == "link") {
    if (HasToken(found.Rel, "https://api.w.org/")) FVerdict.IsWordPress = true;
  }
}

void TPageScanner::CheckWordPressAddress(std::string_view address) {
  const std::optional<std::string> host = HostOfLink(address, FPageHost);
  if (!host || FVerdict.IsWordPress) return;
  if (host->empty()) {
    FVerdict.IsWordPress = true;  // a relative address: the page's own host
  } else if (!FPageHost.empty()) {
    FVerdict.IsWordPress = IsSameOrSubdomain(*host, FPageSite);
  } else if (FPendingSignHosts.size() < kMaxPendingSignHosts &&
             std::find(FPendingSignHosts.begin(), FPendingSignHosts.end(), *host) == FPendingSignHosts.end()) {
    FPendingSignHosts.push_back(*host);
  }
}

void TPageScanner::TakeCanonical(const TAttributes& found) {
  if (!found.HasHref || !HasToken(found.Rel, "canonical")) return;
  const std::string_view href = TrimHtmlSpace(found.Href);
  if (href.empty() || href.size() > kMaxCanonicalBytes) return;
  FVerdict.Canonical = std::string(href);
  if (!FPageHost.empty()) return;
  std::optional<std::string> host = HostOfLink(href, "");
  if (host && !host->empty()) SetPageHost(*host, *host);
}

void TPageScanner::CheckAnchor(const TAttributes& found) {
  // Only links in the comments and in the post's text say anything.
  const bool inComment = FCommentDepth != 0;
  if (!inComment && FPostTextDepth == 0) return;
  const std::optional<std::string> host = HostOfLink(found.Href, FPageHost);
  if (!host) return;  // mailto:, javascript: and the like lead to no web page
  if (inComment) CheckCommentLink(found, *host == FPageHost);
  if (!FVerdict.HasYourLink && FAnchorDepth == 0 && !host->empty() && IsSameOrSubdomain(*host, FUserDomain)) {
    FVerdict.HasYourLink = true;
    FVerdict.YourLinkRel = Shortened(found.Rel);
    FVerdict.YourLinkNofollow = IsNofollow(found.Rel);
    FAnchorDepth = FDepth;
  }
}

void TPageScanner::CheckCommentLink(const TAttributes& found, bool ownHost) {
  // The comment's permalink and date, and WordPress's reply and edit links,
  // are the blog's, not the commenter's.
  if (ownHost || IsWordPressCommentLink(found.Class, found.Id)) return;
  if (!IsNofollow(found.Rel)) {
    ++FVerdict.FollowedCommentLinks;
    return;
  }
  if (FVerdict.NofollowCommentLinks++ == 0) {
    FFirstNofollow = "a link to \"" + Shortened(found.Href) + "\" has rel=\"" + Shortened(found.Rel) + "\"";
  }
}

void TPageScanner::CheckForm(const TAttributes& found) {
  if (FCommentFormDepth != 0) return;
  const std::string_view action = TrimHtmlSpace(found.Action);
  constexpr std::string_view kTarget = "/wp-comments-post.php";
  if (action.size() >= kTarget.size() && action.substr(action.size() - kTarget.size()) == kTarget) {
    FCommentFormDepth = FDepth;
  }
}

TPageVerdict TPageScanner::Verdict() const {
  TPageVerdict verdict = FVerdict;
  if (FAnchorDepth != 0) {
    // The page ended inside the user's link.
    verdict.Anchor = AnchorText(FAnchorText);
  }
  const std::size_t followed = verdict.FollowedCommentLinks, nofollow = verdict.NofollowCommentLinks;
  verdict.CommentLinks = followed == 0 && nofollow == 0 ? TCommentLinks::NoneYet
                         : nofollow == 0                ? TCommentLinks::Followed
                         : followed == 0                ? TCommentLinks::Nofollow
                                                        : TCommentLinks::Mixed;
  if (FTooBroken) {
    verdict.Rejection = TRejection::CannotJudge;
    verdict.Reason = "markup too broken to judge (the parser gave up after " +
                     std::to_string(FErrors) + " errors)";
  } else if (FTooDeep) {
    verdict.Rejection = TRejection::CannotJudge;
    verdict.Reason = "elements nested deeper than " + std::to_string(FMaxDepth) + " levels";
  } else if (!verdict.IsWordPress) {
    verdict.Rejection = TRejection::NotWordPress;
    verdict.Reason = "no sign of WordPress";
  } else if (verdict.CommentLinks == TCommentLinks::Nofollow) {
    verdict.Rejection = TRejection::Nofollow;
    verdict.Reason = "every comment link is nofollow or sponsored: " + FFirstNofollow;
  }
  verdict.Qualifies = verdict.Reason.empty();
  return verdict;
}

}  // namespace halvane::pagetest
