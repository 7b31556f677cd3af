#include "pagerank/TGetRankThread.h"

#include <system_error>
#include <thread>

namespace halvane {

TGetRankThread::TGetRankThread(std::string page, bool oldVersion, TOnGetRank onGetRank,
                               TQueryUrlBuilder buildUrl, TMainThreadPost post, TCompletion completion)
    : FPageText(std::move(page)),
      FOld(oldVersion),
      FOnGetRank(std::move(onGetRank)),
      FBuildUrl(std::move(buildUrl)),
      FPost(std::move(post)),
      FCompletion(std::move(completion)) {}

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
    TMainThreadPost post = FPost;
    post([this] {
      if (FCompletion) FCompletion(*this);
      delete this;
    });
  }).detach();
}

void TGetRankThread::Execute() {
  FResult = -1;
  if (!FOnGetRank) return;
  // An exception leaving a worker would end the process; here it is a
  // failed query like any other.
  try {
    const std::string url = FBuildUrl(FPageText, FOld);
    if (FOnGetRank(url, FReplyText)) FResult = 0;
  } catch (...) {
    FResult = -1;
  }
}

}  // namespace halvane
