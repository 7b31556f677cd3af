#include "TMemoryConnector.h"

#include <algorithm>
#include <cstring>

#include "EHttpClientError.h"

namespace halvane {

namespace {

class TMemoryConnection : public TConnection {
 public:
  TMemoryConnection(std::string reply, std::shared_ptr<std::vector<std::string>> sent, std::size_t index)
      : FReply(std::move(reply)), FSent(std::move(sent)), FIndex(index) {}

  long Read(void* buffer, std::size_t size) override {
    if (FClosed) return 0;
    const std::size_t n = std::min(size, FReply.size() - FOffset);
    std::memcpy(buffer, FReply.data() + FOffset, n);
    FOffset += n;
    return static_cast<long>(n);
  }
  std::size_t Write(const void* data, std::size_t size) override {
    if (FClosed) throw EHttpClientError(THttpErrorKind::ConnectionFailure, "connection closed");
    (*FSent)[FIndex].append(static_cast<const char*>(data), size);
    return size;
  }
  bool WaitReadable(int) override { return true; }
  bool WaitWritable(int) override { return true; }
  void Close() noexcept override { FClosed = true; }

 private:
  std::string FReply;
  std::size_t FOffset = 0;
  std::shared_ptr<std::vector<std::string>> FSent;
  std::size_t FIndex;
  bool FClosed = false;
};

}  // namespace

std::unique_ptr<TConnection> TMemoryConnector::Connect(const std::string& host, int port, const TWaitSlice&) {
  if (FReplies.empty()) throw EHttpClientError(THttpErrorKind::ConnectionFailure, "connection refused");
  FTargets.push_back(host + ":" + std::to_string(port));
  FSent->emplace_back();
  auto connection = std::make_unique<TMemoryConnection>(std::move(FReplies.front()), FSent, FSent->size() - 1);
  FReplies.pop_front();
  return connection;
}

}  // namespace halvane
