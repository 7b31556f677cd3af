#include "LiveSearch.h"

#include <algorithm>
#include <unordered_set>

#include "SimText.h"
#include "TModernBlog.h"
#include "TSearchEngine.h"

namespace halvane::sim {
namespace {

constexpr int kOverlap = 3;
constexpr int kSearxngMaxPages = 50;
constexpr int kBravePageSize = 20;
constexpr int kBraveMaxPages = 10;

int SearxngPageSize(std::string_view keyword, int pageNo) {
  return 17 + static_cast<int>(MixNumbers({HashText(keyword), static_cast<std::uint64_t>(pageNo), 5}) % 9);
}

}  // namespace

std::vector<std::string> LiveResultAddresses(const TSimWeb& web, std::string_view keyword) {
  const TSearchEngine engine(web);
  std::vector<std::string> out;
  std::unordered_set<std::string> seen;
  for (int page = 0; page < engine.PageCount(keyword); ++page) {
    for (const TBlogPage& p : engine.Results(keyword, page)) {
      std::string address = web.Config().liveModernPages ? TModernBlog(web).PageAddress(p) : web.PageAddress(p);
      if (seen.insert(ToLowerAscii(address)).second) out.push_back(std::move(address));
    }
  }
  return out;
}

std::vector<std::string> SearxngPage(const TSimWeb& web, std::string_view keyword, int pageNo) {
  const std::vector<std::string> all = LiveResultAddresses(web, keyword);
  std::size_t start = 0;
  for (int n = 1; n < pageNo; ++n) start += static_cast<std::size_t>(SearxngPageSize(keyword, n) - kOverlap);
  if (pageNo < 1 || start >= all.size() || (pageNo > 1 && SearxngEnginesFail(web, keyword))) return {};
  const std::size_t end = std::min(all.size(), start + static_cast<std::size_t>(SearxngPageSize(keyword, pageNo)));
  return {all.begin() + static_cast<std::ptrdiff_t>(start), all.begin() + static_cast<std::ptrdiff_t>(end)};
}

bool SearxngEnginesFail(const TSimWeb& web, std::string_view keyword) {
  const auto& failing = web.Config().searxngFailing;
  return std::find(failing.begin(), failing.end(), keyword) != failing.end();
}

std::vector<std::string> WithSearxngNoise(const TSimWeb& web, std::string_view keyword, int pageNo,
                                          const std::vector<std::string>& page) {
  std::vector<std::string> out = page;
  if (page.empty()) return out;
  const std::size_t at = static_cast<std::size_t>(pageNo) % out.size();
  out.insert(out.begin() + static_cast<std::ptrdiff_t>(at),
             "http://" + web.ServiceHost() + "/search?q=" + EncodePercent(keyword) + "&pageno=" + std::to_string(pageNo));
  out.push_back(ToUpperAscii(page.front()));
  out.push_back("magnet:?xt=urn:btih:" + std::to_string(HashText(keyword) % 100000));
  out.push_back("");
  return out;
}

std::vector<std::string> BravePage(const TSimWeb& web, std::string_view keyword, int offset, bool* more) {
  const std::vector<std::string> all = LiveResultAddresses(web, keyword);
  const std::size_t start = static_cast<std::size_t>(offset) * kBravePageSize;
  *more = offset + 1 < kBraveMaxPages && start + kBravePageSize < all.size();
  if (offset < 0 || start >= all.size()) return {};
  const std::size_t end = std::min(all.size(), start + kBravePageSize);
  return {all.begin() + static_cast<std::ptrdiff_t>(start), all.begin() + static_cast<std::ptrdiff_t>(end)};
}

std::vector<std::string> ExpectedLiveHarvest(const TSimWeb& web, TLiveEngine engine, std::string_view keyword,
                                             std::size_t maxAddresses) {
  std::vector<std::string> out;
  std::unordered_set<std::string> seen;
  const std::string engineHost = "127.0.0.1";
  const int pages = engine == TLiveEngine::Searxng ? kSearxngMaxPages : kBraveMaxPages;
  for (int i = 0; i < pages && out.size() < maxAddresses; ++i) {
    bool more = true;
    std::vector<std::string> listed;
    if (engine == TLiveEngine::Searxng) {
      listed = SearxngPage(web, keyword, i + 1);
      if (!listed.empty()) listed = WithSearxngNoise(web, keyword, i + 1, listed);
    } else {
      listed = BravePage(web, keyword, i, &more);
    }
    std::size_t added = 0;
    for (const std::string& url : listed) {
      if (out.size() >= maxAddresses) break;
      const std::string lower = ToLowerAscii(url);
      if (lower.rfind("http://", 0) != 0 && lower.rfind("https://", 0) != 0) continue;
      const std::size_t hostAt = lower.find("://") + 3;
      const std::string host = lower.substr(hostAt, lower.find_first_of(":/?#", hostAt) - hostAt);
      if (host == engineHost) continue;
      if (seen.insert(lower).second) {
        out.push_back(url);
        ++added;
      }
    }
    if (listed.empty() || added == 0 || !more) break;
  }
  return out;
}

}  // namespace halvane::sim
