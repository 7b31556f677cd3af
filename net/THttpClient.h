#pragma once
// The program's HTTP/1.x client: plain HTTP over a connector's connections,
// redirects, cookies, progress events, connection reuse. One exchange at a
// time; on the interface thread it keeps the window alive through the event
// pump while it waits.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "EHttpClientError.h"
#include "HttpAddress.h"
#include "HttpProtocolError.h"
#include "TConnector.h"
#include "THttpLimits.h"
#include "TCookieJar.h"
#include "TStream.h"

namespace halvane {

enum class TWorkMode { Read, Write };

class THttpClient {
 public:
  static constexpr std::string_view kUserAgent = "Mozilla/4.0 (compatible; MSIE 5.5; Windows NT 4.0)";
  static constexpr std::string_view kAccept = "text/html, */*";
  static constexpr std::string_view kInitialContentType = "text/html";
  static constexpr int kRedirectMaximum = 15;
  static constexpr std::size_t kMaxLineLength = 16384;
  // A whole response head (status line and header lines, 100-Continue heads
  // included), and a reply that is held in memory (Post's reply, error bodies).
  static constexpr std::size_t kMaxHeadSize = 256 * 1024;
  static constexpr std::int64_t kMaxHeldReply = 16 * 1024 * 1024;
  static constexpr std::size_t kPieceSize = 32768;
  static constexpr int kConnectTimeoutMs = 120000;
  static constexpr int kRedirectBodyWaitMs = 4000;
  static constexpr int kErrorBodyWaitMs = 2000;
  static constexpr int kSliceMs = TConnector::kSliceMs;

  using TWorkBeginHandler = std::function<void(TWorkMode mode, std::int64_t expected)>;
  using TWorkHandler = std::function<void(TWorkMode mode, std::int64_t count)>;
  using TWorkEndHandler = std::function<void(TWorkMode mode)>;

  // Over TCP sockets.
  THttpClient();
  // Over the given transport (tests, the fuzz harness).
  explicit THttpClient(std::unique_ptr<TConnector> connector);
  ~THttpClient();
  THttpClient(const THttpClient&) = delete;
  THttpClient& operator=(const THttpClient&) = delete;

  // GET; the final response's body goes into sink from its position on.
  // Raises EHttpClientError (HttpProtocolError for a non-success status).
  void Get(std::string_view address, TStream& sink);
  // POST as HTTP/1.0 of the whole body; contentType becomes the client's
  // content type for later requests too. Returns the reply body.
  std::string Post(std::string_view address, TStream& body, std::string_view contentType);
  // Closes the connection. During an exchange (from a progress handler, a
  // handler run by the event pump, or another thread) the exchange ends within
  // one wait slice, as if the server had closed the connection.
  void Disconnect();

  const std::string& ResponseText() const noexcept { return FResponseText; }
  int ResponseCode() const noexcept { return FResponseCode; }
  // The header lines of the last response, names and trimmed values.
  const std::vector<std::pair<std::string, std::string>>& ResponseHeaders() const noexcept { return FHeaders; }
  // The value of the first header of that name (any case), or "".
  std::string ResponseHeader(std::string_view name) const;

  const std::string& ContentType() const noexcept { return FContentType; }
  const std::string& ConnectionValue() const noexcept { return FConnectionValue; }
  const TCookieJar& Cookies() const noexcept { return FCookies; }

  // The pump runs only on interfaceThread, after every wait slice that brings
  // nothing and at least every kSliceMs while data flows.
  void SetEventPump(std::function<void()> pump, std::thread::id interfaceThread);
  // Tested at every wait; true ends the exchange as Disconnect does.
  void SetAbortCheck(std::function<bool()> check);
  // The limits of the following exchanges (none at first).
  void SetLimits(const THttpLimits& limits) { FLimits = limits; }
  const THttpLimits& Limits() const noexcept { return FLimits; }

  TWorkBeginHandler OnWorkBegin;
  TWorkHandler OnWork;
  TWorkEndHandler OnWorkEnd;

 private:
  enum class TMethod { Get, Post };
  enum class TBodyEnd { Complete, CutByPeer, Aborted };

  void Perform(TMethod method, std::string_view address, TStream* body, TStream& sink, std::int64_t sinkCap);
  void Exchange(TMethod method, std::string_view address, TStream* body, TStream& sink, std::int64_t sinkCap);
  THttpAddress MergeAddress(std::string_view address);
  void SendAndReadHead(TMethod method, const THttpAddress& target, TStream* body);
  // True when an open connection to host and port is reused.
  bool EnsureConnection(const std::string& host, int port);
  void SendRequest(TMethod method, const THttpAddress& target, TStream* body);
  void SendBody(TStream& body, std::int64_t size);
  void ReadResponseHead();
  void ReadOneHead();
  TBodyEnd ReadBody(TStream& sink, int waitLimitMs, std::int64_t cap);
  // The Content-Length of the head; none when there is none. Throws
  // (MalformedResponse) for a value that is not a length and for two
  // different values.
  std::optional<std::int64_t> DeclaredLength() const;
  TBodyEnd CopyBytes(TStream& sink, std::int64_t count, int waitLimitMs, std::int64_t cap, std::int64_t& written);
  void FinishConnection(TMethod method);
  void CloseConnection() noexcept;

  // Reading primitives over the buffer.
  std::string ReadLine(int waitLimitMs, bool countsAsHead);
  bool Fill(int waitLimitMs);
  bool WaitForData(int waitLimitMs);
  void WriteAll(const char* data, std::size_t size);
  void Tick();
  void Pump();
  bool AbortWanted();
  bool ApplyDisconnectRequest();
  [[noreturn]] void FailClosed(const std::string& what);
  // Throws ReadTimeout once the exchange has run past its whole-exchange limit.
  void CheckDeadline();

  void WorkBegin(TWorkMode mode, std::int64_t expected);
  void Work(TWorkMode mode, std::int64_t bytes);
  void WorkEnd(TWorkMode mode);

  std::unique_ptr<TConnector> FConnector;
  std::unique_ptr<TConnection> FConnection;
  std::string FConnectionHost;
  int FConnectionPort = 0;

  std::string FContentType{kInitialContentType};
  std::string FConnectionValue;
  std::string FScheme = "http";
  std::string FHost;
  int FPort = 80;
  std::string FDirectory = "/";
  TCookieJar FCookies;

  std::string FResponseText;
  int FResponseCode = -1;
  std::vector<std::pair<std::string, std::string>> FHeaders;

  std::function<void()> FPump;
  std::thread::id FInterfaceThread;
  std::function<bool()> FAbortCheck;
  THttpLimits FLimits;
  std::chrono::steady_clock::time_point FDeadline;

  std::mutex FStateMutex;
  bool FInExchange = false;
  std::atomic<bool> FDisconnectRequested{false};
  bool FAborted = false;      // this exchange's connection was dropped on request
  bool FPeerClosed = false;   // the server closed the connection during this response
  bool FAnswerStarted = false;  // a byte of the answer to the current request came in
  std::int64_t FBodyBytesSent = 0;
  std::size_t FHeadBytes = 0;
  std::chrono::steady_clock::time_point FLastTick;

  std::vector<char> FBuffer;
  std::size_t FBufferStart = 0;
  std::size_t FBufferEnd = 0;

  struct TWorkState {
    int level = 0;
    std::int64_t count = 0;
  };
  TWorkState FWork[2];
};

}  // namespace halvane
