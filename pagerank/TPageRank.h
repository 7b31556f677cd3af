#pragma once
// The PageRank component: builds the toolbar query address for a page,
// leaves the fetch to its owner's OnGetRank handler and reads the rank from
// the reply. It never touches the network itself.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "pagerank/TGetRankThread.h"

namespace halvane {

// The checksum of the query text ("info:" and the page).
using TUrlChecksum = std::function<std::uint32_t(std::string_view text, bool oldVersion)>;

class TPageRank {
 public:
  // serviceHost is the PageRank service's "host" or "host:port";
  // postToMainThread delivers the completion of non-blocking queries;
  // checksum defaults to the checksum script (ComputeUrlHash).
  TPageRank(std::string serviceHost, TMainThreadPost postToMainThread, TUrlChecksum checksum = {});
  ~TPageRank();
  TPageRank(const TPageRank&) = delete;
  TPageRank& operator=(const TPageRank&) = delete;

  // The parsed reply, -1 when there is none; with Auto set, an empty reply
  // first runs RequestRank.
  int Rank();

  const std::string& Page() const noexcept { return FPageText; }
  // A different page empties the reply; the same page keeps it.
  void SetPage(const std::string& page);

  bool Auto = false;
  bool NonBlock = false;
  bool OldVersion = false;
  TOnGetRank OnGetRank;

  // Runs one query for Page: inline, or with NonBlock on a TGetRankThread
  // whose result arrives through ThreadDone on the main thread.
  void RequestRank();

  // The completion step of a worker thread (main thread).
  void ThreadDone(TGetRankThread& sender);

  std::string BuildQueryUrl(const std::string& page, bool oldVersion) const;
  static int ParseRankReply(std::string_view reply);

  const std::string& ReplyText() const noexcept { return FReply; }
  const std::string& ServiceHost() const noexcept { return FHost; }
  void SetServiceHost(std::string host) { FHost = std::move(host); }
  // The thread started by the last non-blocking query, until its ThreadDone.
  const TGetRankThread* CurrentThread() const noexcept { return FCurrent; }

 private:
  struct TLink;

  std::string FReply;
  std::string FPageText;
  std::string FHost;
  TMainThreadPost FPostToMainThread;
  TUrlChecksum FChecksum;
  TGetRankThread* FCurrent = nullptr;
  // Queries are numbered as they start; a reply older than the one shown
  // is not shown, so overlapping queries end as if they had not overlapped.
  std::uint64_t FStarted = 0;
  std::uint64_t FShown = 0;
  std::shared_ptr<TLink> FLink;  // lets late completions find the component gone
};

}  // namespace halvane
