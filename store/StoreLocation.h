#pragma once
// Where a store lives: a SQLite file, by default in the user's data folder,
// or a PostgreSQL server named by a URL.
#include <string>
#include <string_view>

namespace halvane::store {

// $XDG_DATA_HOME/halvane/halvane.db, else ~/.local/share/halvane/halvane.db.
// Throws TStoreError when neither XDG_DATA_HOME nor a home folder is known.
std::string DefaultStorePath();

// postgresql://... or postgres://...
bool IsPostgresUrl(std::string_view location);

// The URL as messages may show it: the password of user:password@ and of a
// password=... parameter left out.
std::string WithoutPassword(std::string_view url);

}  // namespace halvane::store
