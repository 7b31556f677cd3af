#include "livesetup/ChosenStore.h"

#include "store/OpenStore.h"
#include "store/TStoreError.h"

namespace halvane::livesetup {

std::unique_ptr<store::TStore> OpenChosenStore(const sources::TSources::TStoreChoice& choice, std::string& error) {
  if (!choice.Use) return nullptr;
  try {
    return store::OpenStore(choice.Url.empty() ? choice.Path : choice.Url);
  } catch (const store::TStoreError& failure) {
    error = failure.what();
    return nullptr;
  }
}

}  // namespace halvane::livesetup
