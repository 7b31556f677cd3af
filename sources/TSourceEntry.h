#pragma once
// One search engine, authority source or ranking source as the registry
// lists it: its names, its keys, how a live run builds it, how the Sources
// dialog's Test asks it and how the About window describes it.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "live/TLiveClient.h"
#include "sources/TSourceKey.h"
#include "sources/TSources.h"

namespace halvane::sources {

// Reports a check's result: "OK" or what went wrong. Called once, on any
// thread.
using TCheckReport = std::function<void(std::string result)>;

template <typename TId, typename TMade>
struct TSourceEntry {
  TId Id;
  const char* FileName;    // written in the sources file: "searxng"
  const char* DialogName;  // shown in the Sources dialog's combo
  std::vector<TSourceKey> Keys;
  // What a live run asks; nullptr when the entry has nothing to ask (the
  // classic sources, none). Throws std::invalid_argument or
  // tables::TTableError when it cannot be built.
  std::function<std::unique_ptr<TMade>(const TSources&, live::TLiveClient&)> Make;
  // The Test's line ("Search (SearXNG)") and check; an entry without a
  // check is not asked. The check returns what must live until its report
  // comes (destroying it ends the check; no report after).
  const char* CheckName = nullptr;
  std::function<std::shared_ptr<void>(const TSources&, live::TLiveClient&, TCheckReport)> Check = {};
  // Said once in a live run when this entry is chosen, or nullptr.
  const char* LiveNote = nullptr;
  // The About window's line: "Search: SearXNG at https://...".
  std::function<std::string(const TSources&)> Describe = {};
};

}  // namespace halvane::sources
