#include "liverun/TLiveFilter.h"

namespace halvane::liverun {
namespace {

bool Passes(TLiveFilter::TYesNo choice, bool value) {
  switch (choice) {
    case TLiveFilter::TYesNo::Any: return true;
    case TLiveFilter::TYesNo::Yes: return value;
    case TLiveFilter::TYesNo::No: return !value;
  }
  return true;
}

}  // namespace

bool TLiveFilter::Accepts(const TLiveResult& result) const {
  if (!Passes(CommentsOpen, result.CommentsOpen)) return false;
  if (CommentLinks && result.CommentLinks != *CommentLinks) return false;
  if (!Passes(HasYourLink, result.HasYourLink)) return false;
  if (MinAuthority && (result.AuthorityAwaited || !result.Authority || *result.Authority < *MinAuthority))
    return false;
  if (NewOnly && !result.IsNew.value_or(false)) return false;
  return true;
}

bool TLiveFilter::Active() const { return !(*this == TLiveFilter{}); }

}  // namespace halvane::liverun
