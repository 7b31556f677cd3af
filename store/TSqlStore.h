#pragma once
// The store on a SQL database: the statements, written once for SQLite and
// PostgreSQL; TSqlDatabase runs them on either.
#include <memory>

#include "store/StoreClock.h"
#include "store/TSqlDatabase.h"
#include "store/TStore.h"

namespace halvane::store {

class TSqlStore final : public TStore {
 public:
  // Brings the database to the newest schema (Migrate).
  TSqlStore(std::unique_ptr<TSqlDatabase> db, TClock clock);

  const std::string& Location() const override { return FDb->Location(); }
  std::int64_t BeginRun(const std::vector<std::string>& keywords, const std::vector<std::string>& footprints,
                        const std::string& engine) override;
  void EndRun(std::int64_t runId, const TRunCounts& counts) override;
  std::vector<TRunRecord> Runs() override;
  void RecordVerdicts(std::span<const TVerdictRecord> verdicts) override;
  std::optional<TTime> LastJudged(std::string_view address) override;
  std::vector<THistoryEntry> History(TTime since) override;
  std::vector<TVerdictRecord> Verdicts(std::string_view address) override;
  bool AddToBlacklist(std::string_view domain) override;
  bool RemoveFromBlacklist(std::string_view domain) override;
  std::vector<TBlacklistEntry> Blacklist() override;
  bool IsBlacklisted(std::string_view host) override;
  bool AddLink(std::string_view address, std::string_view host) override;
  std::vector<TUserLink> Links(std::string_view domain) override;
  std::optional<TLinkCheck> RecordLinkCheck(std::string_view address, const TLinkCheck& check) override;
  TStoreCounts Counts() override;

 private:
  std::vector<TSqlRow> Query(const std::string& sql, std::initializer_list<TSqlValue> params);

  std::unique_ptr<TSqlDatabase> FDb;
  TClock FClock;
};

}  // namespace halvane::store
