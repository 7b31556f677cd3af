#include "live/TCommandQueue.h"

namespace halvane::live {

TRequestId TCommandQueue::Submit(TLiveRequest request, TCompletion done) {
  TRequestId id = 0;
  {
    const std::lock_guard lock(FMutex);
    id = FNextId++;
    FCommands.push_back({TCommand::TKind::Submit, id, std::move(request), std::move(done)});
  }
  Notify();
  return id;
}

void TCommandQueue::AbortGroup(std::string group) {
  TCommand command{TCommand::TKind::AbortGroup, 0, {}, {}};
  command.Request.Group = std::move(group);
  Post(std::move(command));
}

void TCommandQueue::Post(TCommand command) {
  {
    const std::lock_guard lock(FMutex);
    FCommands.push_back(std::move(command));
  }
  Notify();
}

TRequestId TCommandQueue::NewId() {
  const std::lock_guard lock(FMutex);
  return FNextId++;
}

std::optional<std::vector<TCommandQueue::TCommand>> TCommandQueue::Take() {
  std::vector<TCommand> commands;
  const std::lock_guard lock(FMutex);
  if (FStop) return std::nullopt;
  commands.swap(FCommands);
  return commands;
}

bool TCommandQueue::Await() {
  std::unique_lock lock(FMutex);
  FCame.wait(lock, [this] { return FStop || !FCommands.empty(); });
  return !FStop;
}

void TCommandQueue::Stop() {
  {
    const std::lock_guard lock(FMutex);
    FStop = true;
  }
  Notify();
}

void TCommandQueue::Notify() {
  FCame.notify_all();
  if (FWake) FWake();
}

}  // namespace halvane::live
