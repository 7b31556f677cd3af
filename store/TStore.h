#pragma once
// The store that remembers judged pages, runs, the blacklist and the user's
// links. One object holds one connection: call it from one thread at a time
// (it may be handed between threads, never shared). Several objects, in one
// process or many, may use one store at once: writers wait for each other
// (SQLite's busy time-out, PostgreSQL's locks) and never duplicate a page.
// Every operation throws TStoreError with a message naming the store.
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/StoreRecords.h"

namespace halvane::store {

class TStore {
 public:
  virtual ~TStore() = default;

  // Where the store lives, for messages: a file path, or a PostgreSQL URL
  // without its password.
  virtual const std::string& Location() const = 0;

  // A run starts now and gets its id; EndRun closes it now with its counts.
  virtual std::int64_t BeginRun(const std::vector<std::string>& keywords,
                                const std::vector<std::string>& footprints, const std::string& engine) = 0;
  virtual void EndRun(std::int64_t runId, const TRunCounts& counts) = 0;
  virtual std::vector<TRunRecord> Runs() = 0;

  // Records a batch in one transaction, every verdict stamped now: all of it
  // is kept, or (on an error) none. A page is created on its first verdict;
  // a verdict that found the user's link records the page among the links.
  virtual void RecordVerdicts(std::span<const TVerdictRecord> verdicts) = 0;

  // When the page at this address was last judged, if ever.
  virtual std::optional<TTime> LastJudged(std::string_view address) = 0;
  // The --new-only test: judged at or after since?
  bool JudgedSince(std::string_view address, TTime since) {
    const auto last = LastJudged(address);
    return last && *last >= since;
  }

  // Every page judged at or after since, with its latest verdict, oldest first.
  virtual std::vector<THistoryEntry> History(TTime since) = 0;
  // Every verdict of one page, oldest first.
  virtual std::vector<TVerdictRecord> Verdicts(std::string_view address) = 0;

  // Domains are reduced to their ASCII form; an invalid one throws.
  // Add: false when the domain was already there. Remove: false when it was not.
  virtual bool AddToBlacklist(std::string_view domain) = 0;
  virtual bool RemoveFromBlacklist(std::string_view domain) = 0;
  virtual std::vector<TBlacklistEntry> Blacklist() = 0;
  // Is the host, or a domain above it, on the blacklist?
  virtual bool IsBlacklisted(std::string_view host) = 0;

  // Adds a page by hand (false when it was known already; a page found
  // by a run becomes one added by hand).
  virtual bool AddLink(std::string_view address, std::string_view host) = 0;
  // The user's links, in the order they were added; with a domain, only
  // those on it or under it.
  virtual std::vector<TUserLink> Links(std::string_view domain = {}) = 0;
  // Keeps a recheck's result, stamped now, and gives the one it replaces.
  virtual std::optional<TLinkCheck> RecordLinkCheck(std::string_view address, const TLinkCheck& check) = 0;

  virtual TStoreCounts Counts() = 0;
};

}  // namespace halvane::store
