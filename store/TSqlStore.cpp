#include "store/TSqlStore.h"

#include <algorithm>
#include <numeric>

#include "base/HostName.h"
#include "store/SqlRows.h"
#include "store/StoreSchema.h"
#include "store/TSqlTransaction.h"
#include "store/TStoreError.h"

namespace halvane::store {

namespace {

// A domain or host in its one form: ASCII, lower case, no trailing dot,
// labels of letters, digits, '-' and '_'. Nothing for anything else (an
// address, a blank).
std::optional<std::string> DomainForm(std::string_view text) {
  if (!text.empty() && text.back() == '.') text.remove_suffix(1);
  if (text.empty()) return std::nullopt;
  auto ascii = AsciiHostName(text);
  if (!ascii) return std::nullopt;
  bool labelStart = true;
  for (const char c : *ascii) {
    const bool label = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    if (c == '.' ? labelStart : !label) return std::nullopt;
    labelStart = c == '.';
  }
  if (labelStart) return std::nullopt;
  return ascii;
}

std::string HostForm(std::string_view host) { return DomainForm(host).value_or(std::string(host)); }

}  // namespace

TSqlStore::TSqlStore(std::unique_ptr<TSqlDatabase> db, TClock clock) : FDb(std::move(db)), FClock(std::move(clock)) {
  if (!FClock) FClock = SystemTime;
  Migrate(*FDb);
}

std::vector<TSqlRow> TSqlStore::Query(const std::string& sql, std::initializer_list<TSqlValue> params) {
  return FDb->Query(sql, std::span<const TSqlValue>(params.begin(), params.size()));
}

std::int64_t TSqlStore::BeginRun(const std::vector<std::string>& keywords, const std::vector<std::string>& footprints,
                                 const std::string& engine) {
  const auto rows = Query("INSERT INTO runs(keywords, footprints, engine, started) VALUES (?1, ?2, ?3, ?4) RETURNING id",
                          {JoinLines(keywords), JoinLines(footprints), engine, FClock()});
  return SqlIntOr(rows.at(0).at(0), 0);
}

void TSqlStore::EndRun(std::int64_t runId, const TRunCounts& counts) {
  const auto rows = Query(
      "UPDATE runs SET ended = ?2, harvested = ?3, judged = ?4, row_count = ?5, skipped = ?6 WHERE id = ?1 RETURNING id",
      {runId, FClock(), counts.Harvested, counts.Judged, counts.Rows, counts.Skipped});
  if (rows.empty()) throw TStoreError("store " + Location() + ": no run " + std::to_string(runId) + " to end");
}

std::vector<TRunRecord> TSqlStore::Runs() {
  std::vector<TRunRecord> runs;
  for (const auto& row : Query("SELECT id, keywords, footprints, engine, started, ended, harvested, judged, row_count, "
                               "skipped FROM runs ORDER BY id",
                               {})) {
    TRunRecord& run = runs.emplace_back();
    run.Id = SqlIntOr(row.at(0), 0);
    run.Keywords = SplitLines(SqlTextOr(row.at(1), ""));
    run.Footprints = SplitLines(SqlTextOr(row.at(2), ""));
    run.Engine = SqlTextOr(row.at(3), "");
    run.Started = SqlIntOr(row.at(4), 0);
    run.Ended = SqlInt(row.at(5));
    run.Counts = {SqlIntOr(row.at(6), 0), SqlIntOr(row.at(7), 0), SqlIntOr(row.at(8), 0), SqlIntOr(row.at(9), 0)};
  }
  return runs;
}

void TSqlStore::RecordVerdicts(std::span<const TVerdictRecord> verdicts) {
  if (verdicts.empty()) return;
  const TTime now = FClock();
  // Pages are written in address order, so that two writers whose batches
  // share pages take their locks in one order and never deadlock.
  std::vector<std::size_t> order(verdicts.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return verdicts[a].Address < verdicts[b].Address; });
  std::vector<std::int64_t> pageIds(verdicts.size());
  TSqlTransaction transaction(*FDb);
  for (const std::size_t i : order) {
    const TVerdictRecord& verdict = verdicts[i];
    const bool moved = !verdict.FinalAddress.empty() && verdict.FinalAddress != verdict.Address;
    const auto rows = Query(
        "INSERT INTO pages(address, final_address, host, first_seen, last_judged) VALUES (?1, ?2, ?3, ?4, ?4) "
        "ON CONFLICT(address) DO UPDATE SET final_address = excluded.final_address, host = excluded.host, "
        "last_judged = CASE WHEN excluded.last_judged > pages.last_judged "
        "THEN excluded.last_judged ELSE pages.last_judged END RETURNING id",
        {verdict.Address, moved ? TSqlValue{verdict.FinalAddress} : TSqlValue{}, verdict.Host, now});
    pageIds[i] = SqlIntOr(rows.at(0).at(0), 0);
  }
  for (std::size_t i = 0; i < verdicts.size(); ++i) {
    const auto params = VerdictParams(verdicts[i], pageIds[i], now);
    FDb->Query(
        "INSERT INTO verdicts(page_id, run_id, judged_at, reason, comments_open, comment_links, has_your_link, "
        "your_link_rel, anchor, authority, traffic_rank) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)",
        params);
  }
  for (const std::size_t i : order) {
    if (verdicts[i].HasYourLink.value_or(false)) {
      Query("INSERT INTO links(address, host, origin, added) VALUES (?1, ?2, ?3, ?4) ON CONFLICT(address) DO NOTHING",
            {verdicts[i].Address, verdicts[i].Host, std::int64_t{static_cast<int>(TLinkOrigin::Found)}, now});
    }
  }
  transaction.Commit();
}

std::optional<TTime> TSqlStore::LastJudged(std::string_view address) {
  const auto rows = Query("SELECT last_judged FROM pages WHERE address = ?1", {std::string(address)});
  if (rows.empty()) return std::nullopt;
  return SqlInt(rows[0].at(0));
}

std::vector<THistoryEntry> TSqlStore::History(TTime since) {
  std::vector<THistoryEntry> entries;
  const auto rows = Query(std::string("SELECT p.first_seen, p.last_judged, ") + kVerdictColumns +
                              " FROM pages p JOIN verdicts v ON v.id = (SELECT w.id FROM verdicts w WHERE w.page_id = "
                              "p.id ORDER BY w.judged_at DESC, w.id DESC LIMIT 1) "
                              "WHERE p.last_judged >= ?1 ORDER BY p.last_judged, p.id",
                          {since});
  entries.reserve(rows.size());
  for (const auto& row : rows) {
    THistoryEntry& entry = entries.emplace_back();
    entry.Verdict = VerdictFromRow(row, 2, Location());
    entry.Page = {entry.Verdict.Address, entry.Verdict.FinalAddress, entry.Verdict.Host, SqlIntOr(row.at(0), 0),
                  SqlIntOr(row.at(1), 0)};
  }
  return entries;
}

std::vector<TVerdictRecord> TSqlStore::Verdicts(std::string_view address) {
  std::vector<TVerdictRecord> verdicts;
  for (const auto& row : Query(std::string("SELECT ") + kVerdictColumns +
                                   " FROM verdicts v JOIN pages p ON p.id = v.page_id WHERE p.address = ?1 "
                                   "ORDER BY v.judged_at, v.id",
                               {std::string(address)})) {
    verdicts.push_back(VerdictFromRow(row, 0, Location()));
  }
  return verdicts;
}

bool TSqlStore::AddToBlacklist(std::string_view domain) {
  const auto form = DomainForm(domain);
  if (!form) {
    throw TStoreError("\"" + std::string(domain) + "\" is not a domain; write it as example.com");
  }
  return !Query("INSERT INTO blacklist(domain, added) VALUES (?1, ?2) ON CONFLICT(domain) DO NOTHING RETURNING domain",
                {*form, FClock()})
              .empty();
}

bool TSqlStore::RemoveFromBlacklist(std::string_view domain) {
  const auto form = DomainForm(domain);
  if (!form) return false;
  return !Query("DELETE FROM blacklist WHERE domain = ?1 RETURNING domain", {*form}).empty();
}

std::vector<TBlacklistEntry> TSqlStore::Blacklist() {
  std::vector<TBlacklistEntry> entries;
  for (const auto& row : Query("SELECT domain, added FROM blacklist ORDER BY domain", {})) {
    entries.push_back({SqlTextOr(row.at(0), ""), SqlIntOr(row.at(1), 0)});
  }
  return entries;
}

// The host itself and every domain above it, each one indexed look-up.
bool TSqlStore::IsBlacklisted(std::string_view host) {
  const auto form = DomainForm(host);
  if (!form) return false;
  for (std::size_t at = 0; at != std::string::npos;) {
    const std::string domain = form->substr(at);
    if (IsSameOrSubdomain(*form, domain) &&
        !Query("SELECT 1 FROM blacklist WHERE domain = ?1", {domain}).empty()) {
      return true;
    }
    at = form->find('.', at);
    if (at != std::string::npos) ++at;
  }
  return false;
}

bool TSqlStore::AddLink(std::string_view address, std::string_view host) {
  const auto byHand = std::int64_t{static_cast<int>(TLinkOrigin::AddedByHand)};
  TSqlTransaction transaction(*FDb);
  const bool added = !Query("INSERT INTO links(address, host, origin, added) VALUES (?1, ?2, ?3, ?4) "
                            "ON CONFLICT(address) DO NOTHING RETURNING id",
                            {std::string(address), HostForm(host), byHand, FClock()})
                          .empty();
  if (!added) Query("UPDATE links SET origin = ?2 WHERE address = ?1", {std::string(address), byHand});
  transaction.Commit();
  return added;
}

std::vector<TUserLink> TSqlStore::Links(std::string_view domain) {
  const std::string under = domain.empty() ? std::string() : HostForm(domain);
  std::vector<TUserLink> links;
  for (const auto& row : Query("SELECT address, host, origin, added, check_state, checked_at, check_status, "
                               "check_reason FROM links ORDER BY id",
                               {})) {
    TUserLink link;
    link.Host = SqlTextOr(row.at(1), "");
    if (!under.empty() && !IsSameOrSubdomain(link.Host, under)) continue;
    link.Address = SqlTextOr(row.at(0), "");
    link.Origin = SqlIntOr(row.at(2), 0) == static_cast<int>(TLinkOrigin::Found) ? TLinkOrigin::Found
                                                                                  : TLinkOrigin::AddedByHand;
    link.Added = SqlIntOr(row.at(3), 0);
    link.LastCheck = LinkCheckFromRow(row, 4, Location());
    links.push_back(std::move(link));
  }
  return links;
}

std::optional<TLinkCheck> TSqlStore::RecordLinkCheck(std::string_view address, const TLinkCheck& check) {
  TSqlTransaction transaction(*FDb);
  const auto rows = Query("SELECT check_state, checked_at, check_status, check_reason FROM links WHERE address = ?1",
                          {std::string(address)});
  if (rows.empty()) {
    throw TStoreError("store " + Location() + ": no link recorded at " + std::string(address) +
                      " (add it with \"links add\")");
  }
  auto previous = LinkCheckFromRow(rows[0], 0, Location());
  Query("UPDATE links SET check_state = ?2, checked_at = ?3, check_status = ?4, check_reason = ?5 WHERE address = ?1",
        {std::string(address), std::int64_t{static_cast<int>(check.State)}, FClock(),
         check.HttpStatus ? TSqlValue{std::int64_t{check.HttpStatus}} : TSqlValue{},
         check.Reason.empty() ? TSqlValue{} : TSqlValue{check.Reason}});
  transaction.Commit();
  return previous;
}

TStoreCounts TSqlStore::Counts() {
  const auto rows = Query(
      "SELECT (SELECT COUNT(*) FROM pages), (SELECT COUNT(*) FROM verdicts), (SELECT COUNT(*) FROM runs), "
      "(SELECT COUNT(*) FROM blacklist), (SELECT COUNT(*) FROM links)",
      {});
  const auto& row = rows.at(0);
  return {SqlIntOr(row.at(0), 0), SqlIntOr(row.at(1), 0), SqlIntOr(row.at(2), 0), SqlIntOr(row.at(3), 0),
          SqlIntOr(row.at(4), 0)};
}

}  // namespace halvane::store
