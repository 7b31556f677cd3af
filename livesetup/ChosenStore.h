#pragma once
// Opens the store a sources file chooses ([store]): its url, its path, or
// the default file.
#include <memory>
#include <string>

#include "sources/TSources.h"
#include "store/TStore.h"

namespace halvane::livesetup {

// Nothing, with error empty, when [store] use = no; nothing with error set
// (naming the store) when it cannot be opened.
std::unique_ptr<store::TStore> OpenChosenStore(const sources::TSources::TStoreChoice& choice, std::string& error);

}  // namespace halvane::livesetup
