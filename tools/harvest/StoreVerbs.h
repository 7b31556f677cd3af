#pragma once
// halvane-harvest's verbs that only read or edit the store: blacklist,
// links add and history.
#include <memory>
#include <ostream>
#include <string>

#include "sources/TSources.h"
#include "store/StoreClock.h"
#include "store/TStore.h"
#include "tools/harvest/HarvestArguments.h"

namespace halvane::harvest {

// The store --db names, else the sources file's [store]: its url, its path,
// or the default file. Nothing, with error empty, when [store] use = no and
// the store is not required; nothing with error set when it cannot be
// opened or is off but required (the verbs that work on the store).
std::unique_ptr<store::TStore> OpenHarvestStore(const THarvestOptions& options,
                                                const sources::TSources::TStoreChoice& choice, bool required,
                                                std::string& error);

// Each returns the exit code; messages go to err, listings to out.
int RunBlacklist(const THarvestOptions& options, store::TStore& store, std::ostream& out, std::ostream& err);
int RunLinks(const THarvestOptions& options, store::TStore& store, std::ostream& out, std::ostream& err);
int RunHistory(const THarvestOptions& options, store::TStore& store, std::ostream& out, std::ostream& err);

// "2026-12-11 14:05" (UTC).
using store::TimeText;

}  // namespace halvane::harvest
