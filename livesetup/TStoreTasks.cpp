#include "livesetup/TStoreTasks.h"

#include <exception>
#include <optional>

namespace halvane::livesetup {

TStoreTasks::TStoreTasks(TOpener opener) : FOpener(std::move(opener)), FWorker([this] { Work(); }) {}

TStoreTasks::~TStoreTasks() {
  // Behind every task already posted.
  FMailbox.Post([this] { FEnded = true; });
  FWorker.join();
  FMailbox.Close();
}

void TStoreTasks::Post(TTask task) {
  FMailbox.Post([this, task = std::move(task)] { Run(task); });
}

void TStoreTasks::Run(const TTask& task) {
  if (!FOpened) {
    FOpened = true;
    try {
      FStore = FOpener(FError);
    } catch (const std::exception& failure) {
      FError = failure.what();
    }
  }
  task(FStore.get(), FError);
}

void TStoreTasks::Work() {
  while (!FEnded) {
    if (std::optional<TMailbox::TMessage> message = FMailbox.Take(std::nullopt)) (*message)();
  }
  FStore.reset();
}

}  // namespace halvane::livesetup
