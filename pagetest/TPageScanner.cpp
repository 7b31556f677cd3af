#include "pagetest/TPageScanner.h"

#include "base/TextScan.h"

#include "pagetest/PageTest.h"
#include "pagetest/PageText.h"

namespace halvane::pagetest {

namespace {

// The value of attribute name (lower-case) or nullptr.
const char* Attribute(const char* const* attributes, std::string_view name) {
  if (attributes == nullptr) return nullptr;
  for (std::size_t i = 0; attributes[i] != nullptr; i += 2) {
    if (EqualsNoCase(attributes[i], name)) return attributes[i + 1];
  }
  return nullptr;
}

std::string AnchorText(std::string_view collapsed) {
  // The text can be nothing but the start of a character cut by the length
  // limit, which leaves nothing to show either.
  std::string text = RepairUtf8(WithoutCutSequence(collapsed));
  return text.empty() ? "-" : text;
}

std::string_view View(const char* text) { return text == nullptr ? std::string_view() : text; }

bool IsWordPressPath(std::string_view address) {
  return address.find("/wp-content/") != std::string_view::npos ||
         address.find("/wp-includes/") != std::string_view::npos;
}

// Shown in the reason; hostile pages get no screenful of address.
std::string Shortened(std::string_view text) {
  constexpr std::size_t kMax = 200;
  return RepairUtf8(text.size() <= kMax ? text : text.substr(0, kMax));
}

}  // namespace

TPageScanner::TPageScanner(std::string_view userDomain, std::size_t maxDepth)
    : FDomainLower(AsciiLowerCase(TrimHtmlSpace(userDomain))), FMaxDepth(maxDepth) {}

bool TPageScanner::StartElement(std::string_view name, const char* const* attributes) {
  if (++FDepth > FMaxDepth) {
    FTooDeep = true;
    return false;
  }
  CheckWordPressSigns(name, attributes);
  if (name == "a") {
    // Links do not nest: a browser ends an open link where the next one
    // starts, even when the parser left it open under unclosed markup.
    if (FAnchorDepth != 0) FinishAnchor();
    CheckAnchor(attributes);
  } else if (name == "form") {
    CheckForm(attributes);
  } else if (FCommentFormDepth != 0 && (name == "textarea" || name == "input")) {
    CheckField(attributes);
  }
  return true;
}

void TPageScanner::EndElement() {
  if (FDepth == 0) return;
  if (FDepth == FAnchorDepth) FinishAnchor();
  if (FDepth == FCommentFormDepth) FCommentFormDepth = 0;
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

void TPageScanner::CheckWordPressSigns(std::string_view name, const char* const* attributes) {
  if (FVerdict.IsWordPress || attributes == nullptr) return;
  if (IsWordPressPath(View(Attribute(attributes, "src"))) ||
      IsWordPressPath(View(Attribute(attributes, "href")))) {
    FVerdict.IsWordPress = true;
  } else if (name == "meta") {
    FVerdict.IsWordPress =
        EqualsNoCase(View(Attribute(attributes, "name")), "generator") &&
        StartsWithNoCase(TrimHtmlSpace(View(Attribute(attributes, "content"))), "wordpress");
  } else if (name == "link") {
    FVerdict.IsWordPress = HasToken(View(Attribute(attributes, "rel")), "https://api.w.org/");
  }
}

void TPageScanner::CheckAnchor(const char* const* attributes) {
  const std::string_view rel = View(Attribute(attributes, "rel"));
  const std::string_view href = View(Attribute(attributes, "href"));
  if (FVerdict.FollowLinksOnly && (HasToken(rel, "nofollow") || HasToken(rel, "sponsored"))) {
    FVerdict.FollowLinksOnly = false;
    FNofollowLink = "a link to \"" + Shortened(href) + "\" has rel=\"" + Shortened(rel) + "\"";
  }
  if (!FVerdict.HasYourLink && FAnchorDepth == 0 && !FDomainLower.empty() &&
      ContainsNoCase(href, FDomainLower)) {
    FVerdict.HasYourLink = true;
    FAnchorDepth = FDepth;
  }
}

void TPageScanner::CheckForm(const char* const* attributes) {
  if (FCommentFormDepth != 0) return;
  const std::string_view action = TrimHtmlSpace(View(Attribute(attributes, "action")));
  constexpr std::string_view kTarget = "/wp-comments-post.php";
  if (action.size() >= kTarget.size() && action.substr(action.size() - kTarget.size()) == kTarget) {
    FCommentFormDepth = FDepth;
  }
}

void TPageScanner::CheckField(const char* const* attributes) {
  if (View(Attribute(attributes, "name")) == "comment") FVerdict.CommentsOpen = true;
}

TPageVerdict TPageScanner::Verdict() const {
  TPageVerdict verdict = FVerdict;
  if (FAnchorDepth != 0) {
    // The page ended inside the user's link.
    verdict.Anchor = AnchorText(FAnchorText);
  }
  if (FTooBroken) {
    verdict.Reason = "markup too broken to judge (the parser gave up after " +
                     std::to_string(FErrors) + " errors)";
  } else if (FTooDeep) {
    verdict.Reason = "elements nested deeper than " + std::to_string(FMaxDepth) + " levels";
  } else if (!verdict.IsWordPress) {
    verdict.Reason = "no sign of WordPress";
  } else if (!verdict.FollowLinksOnly) {
    verdict.Reason = FNofollowLink;
  }
  verdict.Qualifies = verdict.Reason.empty();
  return verdict;
}

}  // namespace halvane::pagetest
