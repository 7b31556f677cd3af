#include "live/TLiveClient.h"

#include "live/TLiveWorker.h"

namespace halvane::live {

TLiveClient::TLiveClient(TNetworkSettings settings) : FWorker(std::make_unique<TLiveWorker>(std::move(settings))) {}
TLiveClient::~TLiveClient() = default;

TRequestId TLiveClient::Submit(TLiveRequest request, TCompletion done) {
  return FWorker->Submit(std::move(request), std::move(done));
}
void TLiveClient::Abort(TRequestId id) { FWorker->Abort(id); }
void TLiveClient::AbortAll() { FWorker->AbortAll(); }
void TLiveClient::AbortGroup(std::string group) { FWorker->AbortGroup(std::move(group)); }
void TLiveClient::Post(std::function<void()> task) { FWorker->Post(std::move(task)); }
const TNetworkSettings& TLiveClient::Settings() const noexcept { return FWorker->Settings(); }

}  // namespace halvane::live
