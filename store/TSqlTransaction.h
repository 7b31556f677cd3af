#pragma once
// A write transaction that is rolled back unless committed, however the
// scope is left.
#include "store/TSqlDatabase.h"

namespace halvane::store {

class TSqlTransaction {
 public:
  explicit TSqlTransaction(TSqlDatabase& db, bool migration = false) : FDb(db) {
    if (migration) {
      FDb.BeginMigration();
    } else {
      FDb.Begin();
    }
  }
  ~TSqlTransaction() {
    if (!FDone) FDb.Rollback();
  }
  TSqlTransaction(const TSqlTransaction&) = delete;
  TSqlTransaction& operator=(const TSqlTransaction&) = delete;

  void Commit() {
    FDb.Commit();
    FDone = true;
  }

 private:
  TSqlDatabase& FDb;
  bool FDone = false;
};

}  // namespace halvane::store
