#pragma once
// Waiting for the live client's answers in tests.
#include <condition_variable>
#include <chrono>
#include <vector>
#include <mutex>
#include <stdexcept>

#include "live/TLiveClient.h"

namespace halvane::live::test {

// Collects the answers of submitted requests, by id.
class TAnswers {
 public:
  TRequestId Submit(TLiveClient& client, TLiveRequest request) {
    return client.Submit(std::move(request), [this](TLiveResponse r) { Store(std::move(r)); });
  }
  // Waits (a generous safety limit, not a measurement) for n answers.
  std::vector<TLiveResponse> Wait(std::size_t n) {
    std::unique_lock lock(FMutex);
    if (!FDone.wait_for(lock, std::chrono::seconds(60), [&] { return FList.size() >= n; })) {
      throw std::runtime_error("no answer within a minute");
    }
    return FList;
  }

 private:
  void Store(TLiveResponse r) {
    std::lock_guard lock(FMutex);
    FList.push_back(std::move(r));
    FDone.notify_all();
  }
  std::mutex FMutex;
  std::condition_variable FDone;
  std::vector<TLiveResponse> FList;
};

inline TLiveResponse Fetch(TLiveClient& client, TLiveRequest request) {
  TAnswers answers;
  answers.Submit(client, std::move(request));
  return answers.Wait(1).front();
}

inline TLiveRequest Request(std::string url) {
  TLiveRequest request;
  request.Url = std::move(url);
  return request;
}

inline TLiveResponse Get(TLiveClient& client, const std::string& url) { return Fetch(client, Request(url)); }

inline TNetworkSettings QuickSettings() {
  TNetworkSettings s;
  s.HostDelayMs = 0;
  s.TimeoutSeconds = 20;
  s.AllowPrivateAddresses = true;  // the test servers live on loopback
  return s;
}

}  // namespace halvane::live::test
