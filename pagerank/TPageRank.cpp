#include "pagerank/TPageRank.h"

#include "script/ChecksumScript.h"

namespace halvane {

struct TPageRank::TLink {
  TPageRank* Owner;
};

namespace {

std::string QueryUrl(const std::string& host, const TUrlChecksum& checksum, const std::string& page,
                     bool oldVersion) {
  const std::string query = "info:" + page;
  const std::uint32_t ch = checksum ? checksum(query, oldVersion) : 0;
  return "http://" + host + "/search?client=navclient-auto&ch=6" + std::to_string(ch) +
         "&ie=UTF-8&features=Rank&q=" + query;
}

// The leading decimal digits from position start (0-based) as an integer
// keeping its low 8 bits; no digits or too large a number read as 0.
int LowByteOfNumber(std::string_view s, std::size_t start) {
  std::int64_t value = 0;
  std::size_t digits = 0;
  for (std::size_t i = start; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i, ++digits) {
    if (digits < 11) value = value * 10 + (s[i] - '0');
  }
  if (digits == 0 || digits > 10 || value > INT32_MAX) return 0;
  return static_cast<int>(value & 0xFF);
}

}  // namespace

TPageRank::TPageRank(std::string serviceHost, TMainThreadPost postToMainThread, TUrlChecksum checksum)
    : FHost(std::move(serviceHost)),
      FPostToMainThread(std::move(postToMainThread)),
      FChecksum(checksum ? std::move(checksum) : TUrlChecksum(ComputeUrlHash)),
      FLink(std::make_shared<TLink>(TLink{this})) {}

TPageRank::~TPageRank() { FLink->Owner = nullptr; }

void TPageRank::SetPage(const std::string& page) {
  if (page == FPageText) return;
  FReply.clear();
  FPageText = page;
}

int TPageRank::Rank() {
  if (FPageText.empty()) return -1;
  if (Auto && FReply.empty()) RequestRank();
  return ParseRankReply(FReply);
}

std::string TPageRank::BuildQueryUrl(const std::string& page, bool oldVersion) const {
  return QueryUrl(FHost, FChecksum, page, oldVersion);
}

void TPageRank::RequestRank() {
  const std::uint64_t number = ++FStarted;
  if (NonBlock && FPostToMainThread) {
    std::weak_ptr<TLink> link = FLink;
    auto completion = [link, number](TGetRankThread& sender) {
      const auto alive = link.lock();
      if (!alive || alive->Owner == nullptr) return;
      TPageRank& owner = *alive->Owner;
      if (number >= owner.FShown) {
        owner.FShown = number;
        owner.ThreadDone(sender);
      } else if (owner.FCurrent == &sender) {
        owner.FCurrent = nullptr;
      }
    };
    auto build = [host = FHost, checksum = FChecksum](const std::string& page, bool oldVersion) {
      return QueryUrl(host, checksum, page, oldVersion);
    };
    auto* thread = new TGetRankThread(FPageText, OldVersion, OnGetRank, build, FPostToMainThread, completion);
    FCurrent = thread;
    if (!thread->Start()) {
      FCurrent = nullptr;
      FShown = number;
      FReply.clear();  // the query failed
    }
    return;
  }
  FShown = number;
  std::string reply;
  if (OnGetRank && OnGetRank(BuildQueryUrl(FPageText, OldVersion), reply)) {
    FReply = reply;
  } else {
    FReply.clear();
  }
}

void TPageRank::ThreadDone(TGetRankThread& sender) {
  if (sender.ReturnValue() == 0) {
    FReply = sender.Reply();
  } else {
    FReply.clear();
  }
  if (FCurrent == &sender) FCurrent = nullptr;
}

int TPageRank::ParseRankReply(std::string_view s) {
  const std::size_t found = s.find("Rank_1");
  if (found == std::string_view::npos) return -1;
  std::size_t i = found;
  while (i < s.size() && s[i] != ':') ++i;
  const std::size_t start1 = i + 1;
  std::size_t j = start1;
  while (j < s.size() && s[j] != ':') ++j;
  const std::size_t start2 = j + 1;
  if (start2 >= s.size()) return -1;
  const int hi = LowByteOfNumber(s, start1);
  const int lo = LowByteOfNumber(s, start2);
  return hi * 256 + lo;
}

}  // namespace halvane
