#include "TMemoryConnector.h"

#include <algorithm>
#include <cstring>

#include "EHttpClientError.h"

namespace halvane {

namespace {

class TMemoryConnection : public TConnection {
 public:
  TMemoryConnection(std::string reply, std::shared_ptr<std::vector<std::string>> sent, std::size_t index)
      : reply_(std::move(reply)), sent_(std::move(sent)), index_(index) {}

  long Read(void* buffer, std::size_t size) override {
    if (closed_) return 0;
    const std::size_t n = std::min(size, reply_.size() - offset_);
    std::memcpy(buffer, reply_.data() + offset_, n);
    offset_ += n;
    return static_cast<long>(n);
  }
  std::size_t Write(const void* data, std::size_t size) override {
    if (closed_) throw EHttpClientError(THttpErrorKind::ConnectionFailure, "connection closed");
    (*sent_)[index_].append(static_cast<const char*>(data), size);
    return size;
  }
  bool WaitReadable(int) override { return true; }
  bool WaitWritable(int) override { return true; }
  void Close() noexcept override { closed_ = true; }

 private:
  std::string reply_;
  std::size_t offset_ = 0;
  std::shared_ptr<std::vector<std::string>> sent_;
  std::size_t index_;
  bool closed_ = false;
};

}  // namespace

std::unique_ptr<TConnection> TMemoryConnector::Connect(const std::string& host, int port, const TWaitSlice&) {
  if (replies_.empty()) throw EHttpClientError(THttpErrorKind::ConnectionFailure, "connection refused");
  targets_.push_back(host + ":" + std::to_string(port));
  sent_->emplace_back();
  auto connection = std::make_unique<TMemoryConnection>(std::move(replies_.front()), sent_, sent_->size() - 1);
  replies_.pop_front();
  return connection;
}

}  // namespace halvane
