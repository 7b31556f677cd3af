#pragma once
// One non-blocking PageRank query: builds the query address and calls the
// owner's fetch handler on a worker thread, then hands itself to a
// completion step on the main thread and frees itself after it.
#include <cstdint>
#include <functional>
#include <string>

namespace halvane {

// The owner's fetch handler: page is the complete query address; the
// handler stores the reply body in rank and returns true when it got one.
using TOnGetRank = std::function<bool(const std::string& page, std::string& rank)>;

// Runs a call on the main thread (later, in its event loop); safe to call
// from any thread.
using TMainThreadPost = std::function<void(std::function<void()>)>;

class TGetRankThread {
 public:
  using TQueryUrlBuilder = std::function<std::string(const std::string& page, bool oldVersion)>;
  using TCompletion = std::function<void(TGetRankThread& sender)>;

  // Page, OldVersion and OnGetRank are copies of the component's values at
  // the start; buildUrl must not refer to the component.
  TGetRankThread(std::string page, bool oldVersion, TOnGetRank onGetRank, TQueryUrlBuilder buildUrl,
                 TMainThreadPost post, TCompletion completion);
  TGetRankThread(const TGetRankThread&) = delete;
  TGetRankThread& operator=(const TGetRankThread&) = delete;

  // Starts the worker. From here on the object owns itself: it is deleted
  // right after its completion step has run on the main thread. When no
  // thread can be started it is deleted at once, without a completion, and
  // the result is false.
  bool Start();

  const std::string& Page() const noexcept { return FPageText; }
  const std::string& Reply() const noexcept { return FReplyText; }
  bool OldVersion() const noexcept { return FOld; }
  // -1 ("failed") until the handler reports success, then 0.
  int ReturnValue() const noexcept { return FResult; }

 private:
  ~TGetRankThread() = default;
  void Launch();
  void Execute();

  std::string FPageText;
  std::string FReplyText;
  bool FOld;
  TOnGetRank FOnGetRank;
  TQueryUrlBuilder FBuildUrl;
  TMainThreadPost FPost;
  TCompletion FCompletion;
  int FResult = -1;
};

}  // namespace halvane
