#include "TGetRankThread.h"

#include <system_error>
#include <thread>

namespace halvane {

TGetRankThread::TGetRankThread(std::string page, bool oldVersion, TOnGetRank onGetRank,
                               TQueryUrlBuilder buildUrl, TMainThreadPost post, TCompletion completion)
    : PageText(std::move(page)),
      Old(oldVersion),
      OnGetRank(std::move(onGetRank)),
      BuildUrl(std::move(buildUrl)),
      Post(std::move(post)),
      Completion(std::move(completion)) {}

bool TGetRankThread::Start() {
  try {
    Launch();
  } catch (const std::system_error&) {
    delete this;
    return false;
  }
  return true;
}

void TGetRankThread::Launch() {
  std::thread([this] {
    Execute();
    // The completion step owns the object now; nothing here may touch it
    // after the post.
    TMainThreadPost post = Post;
    post([this] {
      if (Completion) Completion(*this);
      delete this;
    });
  }).detach();
}

void TGetRankThread::Execute() {
  Result = -1;
  if (!OnGetRank) return;
  // An exception leaving a worker would end the process; here it is a
  // failed query like any other.
  try {
    const std::string url = BuildUrl(PageText, Old);
    if (OnGetRank(url, ReplyText)) Result = 0;
  } catch (...) {
    Result = -1;
  }
}

}  // namespace halvane
