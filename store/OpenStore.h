#pragma once
// Opens the store the user chose: a postgresql:// URL, a SQLite file, or
// (empty) the default file. The store is created on first use and brought
// to the newest schema.
#include <memory>
#include <string>

#include "store/StoreClock.h"
#include "store/TStore.h"

namespace halvane::store {

struct TStoreOptions {
  TClock Clock;                // empty: the system's
  int BusyTimeoutMs = 30000;   // SQLite: how long another process holding the store is waited for
};

// Throws TStoreError.
std::unique_ptr<TStore> OpenStore(const std::string& location, const TStoreOptions& options = {});

}  // namespace halvane::store
