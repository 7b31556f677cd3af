// Feeds arbitrary bytes to the modern page test. Up to the first "\n~~\n"
// are up to three lines: the user's domain, the page's host and its
// Content-Type; the rest is the page (no separator: the whole input is the
// page and the domain is "example").
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "pagetest/PageTest.h"

namespace {

std::string_view NextLine(std::string_view& text) {
  const std::size_t end = text.find('\n');
  const std::string_view line = text.substr(0, end);
  text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace halvane::pagetest;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  TPageContext context;
  context.UserDomain = "example";
  const auto split = input.find("\n~~\n");
  if (split != std::string_view::npos && split < 1024) {
    std::string_view head = input.substr(0, split);
    context.UserDomain = NextLine(head);
    context.PageHost = NextLine(head);
    context.ContentType = NextLine(head);
    input.remove_prefix(split + 4);
  }
  const TPageVerdict verdict = TestPage(input, context);
  // The verdict holds together whatever the bytes were.
  if (verdict.Qualifies != verdict.Reason.empty()) std::abort();
  if (verdict.Qualifies != (verdict.Rejection == TRejection::None)) std::abort();
  if (verdict.Qualifies && (!verdict.IsWordPress || verdict.CommentLinks == TCommentLinks::Nofollow)) std::abort();
  const bool followed = verdict.FollowedCommentLinks > 0, nofollow = verdict.NofollowCommentLinks > 0;
  if ((verdict.CommentLinks == TCommentLinks::Mixed) != (followed && nofollow)) std::abort();
  if ((verdict.CommentLinks == TCommentLinks::NoneYet) != (!followed && !nofollow)) std::abort();
  if (verdict.Anchor.empty() || (!verdict.HasYourLink && verdict.Anchor != "-")) std::abort();
  return 0;
}
