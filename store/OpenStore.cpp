#include "store/OpenStore.h"

#include "store/StoreLocation.h"
#include "store/TPgDatabase.h"
#include "store/TSqlStore.h"
#include "store/TSqliteDatabase.h"

namespace halvane::store {

std::unique_ptr<TStore> OpenStore(const std::string& location, const TStoreOptions& options) {
  std::unique_ptr<TSqlDatabase> db;
  if (IsPostgresUrl(location)) {
    db = std::make_unique<TPgDatabase>(location);
  } else {
    db = std::make_unique<TSqliteDatabase>(location.empty() ? DefaultStorePath() : location, options.BusyTimeoutMs);
  }
  return std::make_unique<TSqlStore>(std::move(db), options.Clock);
}

}  // namespace halvane::store
