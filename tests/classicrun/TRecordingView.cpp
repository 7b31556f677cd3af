#include "tests/classicrun/TRecordingView.h"

#include <atomic>
#include <chrono>

#include <unistd.h>

namespace halvane::test {

TRecordingView::TRecordingView() : FInterfaceThread(std::this_thread::get_id()) {}

TPageFetcherHooks TRecordingView::Hooks() {
  TPageFetcherHooks hooks;
  hooks.Post = [this](std::function<void()> work) { Post(std::move(work)); };
  hooks.PostLater = [this](std::function<void()> work) { PostLater(std::move(work)); };
  hooks.ShowStatus = [this](std::string_view text) { ShowStatus(text); };
  hooks.ShowGauge = [this](std::int64_t maximum, std::int64_t value, bool setMaximum) {
    if (setMaximum) GaugeMaximum = maximum;
    GaugeValue = value < 0 ? GaugeMaximum : value;
  };
  hooks.PumpEvents = [this] { PumpEvents(); };
  hooks.InterfaceThread = FInterfaceThread;
  return hooks;
}

void TRecordingView::ShowStatus(std::string_view text) {
  Statuses.emplace_back(text);
  Timeline.push_back("status:" + std::string(text));
}

std::uint64_t TRecordingView::AddRow(TResultItem item) {
  Rows.push_back(std::move(item));
  Timeline.push_back("row:" + Rows.back().URL);
  return Rows.size() - 1;
}

void TRecordingView::SetCell(std::uint64_t row, int column, const std::string& text) {
  TResultItem& item = Rows.at(row);
  std::string* cells[] = {&item.PR, &item.URL, &item.HomePagePR, &item.HasYourLink, &item.AnchorName,
                          &item.AlexaRanking};
  *cells[column] = text;
  Timeline.push_back("cell:" + std::to_string(column) + ":" + text);
}

std::size_t TRecordingView::Queued() {
  std::lock_guard<std::mutex> lock(FMutex);
  return FQueue.size();
}

int TRecordingView::RunQueued() {
  std::deque<std::function<void()>> now;
  {
    std::lock_guard<std::mutex> lock(FMutex);
    now.swap(FQueue);
  }
  for (auto& work : now) work();
  return static_cast<int>(now.size());
}

void TRecordingView::PumpEvents() {
  RunQueued();
  if (OnPump) OnPump();
}

void TRecordingView::WaitForEvents() {
  if (OnPump) OnPump();
  if (Lagging) {
    std::deque<std::function<void()>> older;
    {
      std::lock_guard<std::mutex> lock(FMutex);
      older.swap(FQueue);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    for (auto& work : older) work();
    return;
  }
  {
    std::unique_lock<std::mutex> lock(FMutex);
    FArrived.wait_for(lock, std::chrono::milliseconds(20), [this] { return !FQueue.empty(); });
  }
  RunQueued();
}

void TRecordingView::Post(std::function<void()> work) {
  if (std::this_thread::get_id() == FInterfaceThread) {
    work();
    return;
  }
  PostLater(std::move(work));
}

void TRecordingView::PostLater(std::function<void()> work) {
  {
    std::lock_guard<std::mutex> lock(FMutex);
    FQueue.push_back(std::move(work));
  }
  FArrived.notify_all();
}

std::string HttpReply(const std::string& body, const std::string& status) {
  return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

TTempFolder::TTempFolder() {
  static std::atomic<int> count{0};
  const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                     ("halvane-classicrun-" + std::to_string(::getpid()) + "-" + std::to_string(++count));
  std::filesystem::create_directories(path);
  FPath = path.string() + "/";
}

TTempFolder::~TTempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(FPath, ignored);
}

}  // namespace halvane::test
