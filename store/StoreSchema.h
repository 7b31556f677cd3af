#pragma once
// The store's tables, built by ordered migrations: migration i takes a store
// from version i to i + 1. A store is brought to the newest version when it
// is opened; one newer than this program is refused.
#include <string>
#include <vector>

#include "store/TSqlDatabase.h"

namespace halvane::store {

// The migrations in the database's own words (its kind of row id).
std::vector<std::string> Migrations(TSqlDialect dialect);

inline int LatestSchemaVersion() { return static_cast<int>(Migrations(TSqlDialect::Sqlite).size()); }

// Applies the missing migrations in one transaction that no other
// connection migrates beside. Throws TStoreError.
void Migrate(TSqlDatabase& db);

}  // namespace halvane::store
