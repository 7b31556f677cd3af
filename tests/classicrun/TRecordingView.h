#pragma once
// A stand-in for the main window: records what a search run and page
// retrieval show, keeps rows, and plays the interface thread's event queue
// (the thread that creates it is the interface thread).
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "classicrun/TPageFetcher.h"
#include "classicrun/TSearchRunView.h"
#include "net/TMemoryConnector.h"
#include "search/THarvestedUrls.h"

namespace halvane::test {

class TRecordingView : public TSearchRunView {
 public:
  TRecordingView();

  std::string Keyword = "garden tools";
  std::string Domain = "myshop.example";
  int Depth = 0;
  std::unique_ptr<THarvestedUrls> Urls = std::make_unique<THarvestedUrls>();
  // A slow interface thread: each wait sleeps first and then handles only
  // the events that were queued before it began.
  bool Lagging = false;
  // Runs inside each pump and wait on the interface thread (a user's click).
  std::function<void()> OnPump;

  // Every status and count text in order, and the timeline of statuses and
  // cells ("status:<text>", "cell:<column>:<text>").
  std::vector<std::string> Statuses;
  std::vector<std::string> Counts;
  std::vector<std::string> Timeline;
  std::vector<TResultItem> Rows;
  std::int64_t GaugeMaximum = 0;
  std::int64_t GaugeValue = 0;

  // Hooks for a TPageFetcher that shows through this view.
  TPageFetcherHooks Hooks();
  // Handles what is queued now; returns how many.
  int RunQueued();
  std::size_t Queued();

  std::string KeywordText() const override { return Keyword; }
  std::string DomainText() const override { return Domain; }
  int DepthIndex() const override { return Depth; }
  THarvestedUrls* HarvestList() override { return Urls.get(); }
  void ShowStatus(std::string_view text) override;
  void ShowCount(std::string_view text) override { Counts.emplace_back(text); }
  std::uint64_t AddRow(TResultItem item) override;
  void SetCell(std::uint64_t row, int column, const std::string& text) override;
  std::size_t RowCount() const override { return Rows.size(); }
  void PumpEvents() override;
  void WaitForEvents() override;
  void Post(std::function<void()> work) override;
  void PostLater(std::function<void()> work) override;

 private:
  std::thread::id FInterfaceThread;
  std::mutex FMutex;
  std::condition_variable FArrived;
  std::deque<std::function<void()>> FQueue;
};

// A whole HTTP/1.1 reply with a body of known length.
std::string HttpReply(const std::string& body, const std::string& status = "200 OK");

// A program folder of its own, removed afterwards; ends in "/".
class TTempFolder {
 public:
  TTempFolder();
  ~TTempFolder();
  const std::string& Path() const { return FPath; }
  bool Exists(const std::string& name) const { return std::filesystem::exists(FPath + name); }

 private:
  std::string FPath;
};

}  // namespace halvane::test
