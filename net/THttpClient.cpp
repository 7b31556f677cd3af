// Longer than the project's usual file: one exchange (request, interim and
// final heads, the body's framing, the resend on a closed kept connection)
// shares the reading primitives and the connection state of this class;
// split up, each part would need them all.
#include "THttpClient.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <optional>

#include "HttpText.h"
#include "TSocketConnector.h"

namespace halvane {

namespace {

using TClock = std::chrono::steady_clock;

constexpr std::size_t kBufferSize = 32768;

// Takes bytes and forgets them: the body of a redirect.
class TDiscardStream : public TStream {
 public:
  std::size_t Read(void*, std::size_t) override { return 0; }
  void Write(const void*, std::size_t size) override { FPosition += static_cast<std::int64_t>(size); }
  std::int64_t Seek(std::int64_t, TSeekOrigin) override { return FPosition; }

 private:
  std::int64_t FPosition = 0;
};

std::int64_t NowSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

int ElapsedMs(TClock::time_point since) {
  return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - since).count());
}

int ParseStatusCode(std::string_view statusLine) {
  const auto first = statusLine.find(' ');
  if (first == std::string::npos) return -1;
  const auto second = statusLine.find(' ', first + 1);
  const auto number =
      ParseDecimal(statusLine.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1));
  return number && *number <= 99999 ? static_cast<int>(*number) : -1;
}

// "30 s", "0.3 s".
std::string SecondsText(int ms) {
  if (ms % 1000 == 0) return std::to_string(ms / 1000) + " s";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", ms / 1000.0);
  return text;
}

// Interim answers come before the final one and are skipped; 101 is never
// asked for, so it counts as a final answer that is not a success.
bool IsInterim(int code) noexcept { return code >= 100 && code <= 199 && code != 101; }

// Hexadecimal digits, then optionally blanks and ";" extensions; none for any
// other line and for a size past the largest signed 64-bit number.
std::optional<std::int64_t> ParseChunkSize(std::string_view line) noexcept {
  std::size_t digits = 0;
  while (digits < line.size() && std::isxdigit(static_cast<unsigned char>(line[digits]))) ++digits;
  if (digits == 0) return std::nullopt;
  std::string_view rest = line.substr(digits);
  while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
  if (!rest.empty() && rest.front() != ';') return std::nullopt;
  return ParseHex(line.substr(0, digits));
}

// The request line cannot hold a blank inside its target.
std::string EncodeBlanks(std::string_view target) {
  std::string encoded;
  encoded.reserve(target.size());
  for (char c : target) {
    if (c == ' ') encoded.append("%20");
    else encoded.push_back(c);
  }
  return encoded;
}

}  // namespace

THttpClient::THttpClient() : THttpClient(std::make_unique<TSocketConnector>()) {}

THttpClient::THttpClient(std::unique_ptr<TConnector> connector)
    : FConnector(std::move(connector)), FBuffer(kBufferSize) {}

THttpClient::~THttpClient() { CloseConnection(); }

void THttpClient::SetEventPump(std::function<void()> pump, std::thread::id interfaceThread) {
  FPump = std::move(pump);
  FInterfaceThread = interfaceThread;
}

void THttpClient::SetAbortCheck(std::function<bool()> check) { FAbortCheck = std::move(check); }

std::string THttpClient::ResponseHeader(std::string_view name) const {
  for (const auto& [key, value] : FHeaders) {
    if (EqualsNoCase(key, name)) return value;
  }
  return {};
}

void THttpClient::Disconnect() {
  std::lock_guard lock(FStateMutex);
  if (FInExchange) {
    // The thread running the exchange owns the connection; it closes it at
    // its next check, within one wait slice.
    FDisconnectRequested = true;
    return;
  }
  CloseConnection();
}

void THttpClient::CloseConnection() noexcept {
  if (FConnection) {
    FConnection->Close();
    FConnection.reset();
  }
  FBufferStart = FBufferEnd = 0;
}

void THttpClient::Get(std::string_view address, TStream& sink) {
  Perform(TMethod::Get, address, nullptr, sink, FLimits.MaxBody);
}

std::string THttpClient::Post(std::string_view address, TStream& body, std::string_view contentType) {
  if (HasControlBytes(contentType)) throw EHttpClientError(THttpErrorKind::BadAddress, "content type with control bytes");
  {
    std::lock_guard lock(FStateMutex);
    if (FInExchange) throw EHttpClientError(THttpErrorKind::Busy, "the HTTP client is already in an exchange");
    CloseConnection();
  }
  FContentType = std::string(contentType);
  TMemoryStream reply;
  const std::int64_t cap = FLimits.MaxBody >= 0 ? std::min(FLimits.MaxBody, kMaxHeldReply) : kMaxHeldReply;
  Perform(TMethod::Post, address, &body, reply, cap);
  return reply.Take();
}

void THttpClient::Perform(TMethod method, std::string_view address, TStream* body, TStream& sink,
                          std::int64_t sinkCap) {
  {
    std::lock_guard lock(FStateMutex);
    if (FInExchange) throw EHttpClientError(THttpErrorKind::Busy, "the HTTP client is already in an exchange");
    FInExchange = true;
    FDisconnectRequested = false;
  }
  FAborted = false;
  FWork[0] = FWork[1] = TWorkState{};
  FLastTick = TClock::now();
  FDeadline = FLastTick + std::chrono::milliseconds(FLimits.TotalMs);
  FResponseText.clear();
  FResponseCode = -1;
  FHeaders.clear();
  const auto leave = [this] {
    std::lock_guard lock(FStateMutex);
    FInExchange = false;
    if (FDisconnectRequested.exchange(false)) CloseConnection();
  };
  try {
    Exchange(method, address, body, sink, sinkCap);
  } catch (const HttpProtocolError&) {
    leave();
    throw;
  } catch (...) {
    CloseConnection();
    leave();
    throw;
  }
  leave();
}

void THttpClient::Exchange(TMethod method, std::string_view address, TStream* body, TStream& sink,
                           std::int64_t sinkCap) {
  std::string next(address);
  for (int requests = 1;; ++requests) {
    const THttpAddress target = MergeAddress(next);
    SendAndReadHead(method, target, body);

    // A redirect status without a Location has nowhere to go: it fails below
    // like any other status that is not a success.
    const std::string location = ResponseHeader("Location");
    if (!location.empty()) {
      if (requests >= kRedirectMaximum) {
        // The chain ends here without error and without a body.
        CloseConnection();
        return;
      }
      try {
        TDiscardStream discard;
        if (ReadBody(discard, kRedirectBodyWaitMs, kMaxHeldReply) != TBodyEnd::Complete) CloseConnection();
        FinishConnection(method);
      } catch (const EHttpClientError&) {
        CloseConnection();  // the redirect is followed all the same
        FWork[0] = FWork[1] = TWorkState{};
      }
      if (FAborted) FailClosed("disconnected during a redirect");
      next = location;
      continue;
    }
    if (FResponseCode >= 200 && FResponseCode <= 299) {
      if (FResponseCode != 204) {
        const TBodyEnd end = ReadBody(sink, -1, sinkCap);
        if (end == TBodyEnd::CutByPeer) FailClosed("the server closed the connection before the whole body");
      }
      FinishConnection(method);
      return;
    }
    TMemoryStream errorBody;
    if (ReadBody(errorBody, kErrorBodyWaitMs, kMaxHeldReply) != TBodyEnd::Complete) CloseConnection();
    FinishConnection(method);
    throw HttpProtocolError(FResponseCode, FResponseText, errorBody.Take());
  }
}

void THttpClient::SendAndReadHead(TMethod method, const THttpAddress& target, TStream* body) {
  const bool reused = EnsureConnection(target.host, target.port);
  FPeerClosed = false;
  FAnswerStarted = false;
  FBodyBytesSent = 0;
  try {
    SendRequest(method, target, body);
    ReadResponseHead();
  } catch (const EHttpClientError& e) {
    // A kept connection may have been closed by the server just before the
    // request went out. When nothing of the answer came back (and no byte of
    // a POST body went out), the request is sent once more on a fresh
    // connection.
    const bool unanswered = !FAnswerStarted && !FAborted && e.Kind() == THttpErrorKind::ConnectionFailure;
    if (!reused || !unanswered || FBodyBytesSent > 0) throw;
    CloseConnection();
    FWork[0] = FWork[1] = TWorkState{};
    EnsureConnection(target.host, target.port);
    FPeerClosed = false;
    SendRequest(method, target, body);
    ReadResponseHead();
  }
}

THttpAddress THttpClient::MergeAddress(std::string_view address) {
  if (HasControlBytes(address) || address.find('\t') != std::string_view::npos) {
    throw EHttpClientError(THttpErrorKind::BadAddress, "address with control bytes");
  }
  THttpAddress parsed = ParseAddress(address);
  if (parsed.hasHost) {
    if (parsed.scheme == "https") throw EHttpClientError(THttpErrorKind::HttpsRefused, "https is not supported");
    if (!parsed.scheme.empty() && parsed.scheme != "http") {
      throw EHttpClientError(THttpErrorKind::BadAddress, "unsupported scheme " + parsed.scheme);
    }
    if (parsed.host.empty() || parsed.port == 0 ||
        parsed.host.find_first_of(" \"<>\\^`{|}") != std::string::npos) {
      throw EHttpClientError(THttpErrorKind::BadAddress, "bad host or port in address");
    }
    FScheme = "http";
    FHost = parsed.host;
    FPort = parsed.port;
  } else {
    if (FHost.empty()) throw EHttpClientError(THttpErrorKind::BadAddress, "address without a host");
    FScheme = "http";
    parsed.host = FHost;
    parsed.port = FPort;
    parsed.target = ResolveTarget(FDirectory, parsed.target);
  }
  std::string directory = DirectoryPath(parsed.target);
  if (directory.empty()) directory.push_back('/');
  FDirectory = std::move(directory);
  return parsed;
}

bool THttpClient::EnsureConnection(const std::string& host, int port) {
  if (FConnection && (FConnectionHost != host || FConnectionPort != port)) CloseConnection();
  if (FConnection && ApplyDisconnectRequest()) FailClosed("disconnected");
  // An idle connection that has something to read has been closed (or spoilt)
  // by the server; it is not reused.
  if (FConnection && (FBufferEnd > FBufferStart || FConnection->WaitReadable(0))) CloseConnection();
  if (FConnection) return true;
  const auto start = TClock::now();
  const TConnector::TWaitSlice slice = [this, start] {
    if (AbortWanted()) throw EHttpClientError(THttpErrorKind::Aborted, "connect aborted");
    if (ElapsedMs(start) >= kConnectTimeoutMs) throw EHttpClientError(THttpErrorKind::ConnectTimeout, "connect time-out");
    CheckDeadline();
    Pump();
  };
  if (AbortWanted()) throw EHttpClientError(THttpErrorKind::Aborted, "connect aborted");
  FConnection = FConnector->Connect(host, port, slice);
  FConnectionHost = host;
  FConnectionPort = port;
  FBufferStart = FBufferEnd = 0;
  return false;
}

void THttpClient::SendRequest(TMethod method, const THttpAddress& target, TStream* body) {
  const bool post = method == TMethod::Post;
  std::int64_t bodySize = 0;
  if (post && body) {
    body->Seek(0, TSeekOrigin::Beginning);
    const std::int64_t start = body->Seek(0, TSeekOrigin::Current);
    const std::int64_t end = body->Seek(0, TSeekOrigin::End);
    body->Seek(start, TSeekOrigin::Beginning);
    bodySize = std::max<std::int64_t>(0, end - start);
  }
  if (post && FConnectionValue.empty()) FConnectionValue = "keep-alive";

  std::string head;
  head.reserve(512);
  head.append(post ? "POST " : "GET ").append(EncodeBlanks(target.target)).append(post ? " HTTP/1.0\r\n" : " HTTP/1.1\r\n");
  const auto header = [&head](std::string_view name, std::string_view value) {
    if (!value.empty()) head.append(name).append(": ").append(value).append("\r\n");
  };
  header("Connection", FConnectionValue);
  header("Content-Type", FContentType);
  if (post) header("Content-Length", std::to_string(bodySize));
  const bool ipv6 = target.host.find(':') != std::string::npos;
  std::string hostValue;
  if (ipv6) hostValue.push_back('[');
  hostValue.append(target.host);
  if (ipv6) hostValue.push_back(']');
  if (target.port != 80) hostValue.append(":").append(std::to_string(target.port));
  header("Host", hostValue);
  header("Accept", kAccept);
  header("User-Agent", kUserAgent);
  const std::int64_t now = NowSeconds();
  FCookies.RemoveExpired(now);
  header("Cookie", FCookies.HeaderFor(target.host, FDirectory));
  head.append("\r\n");

  WriteAll(head.data(), head.size());
  if (post && body) SendBody(*body, bodySize);
}

void THttpClient::SendBody(TStream& body, std::int64_t size) {
  std::vector<char> piece(kPieceSize);
  WorkBegin(TWorkMode::Write, size);
  std::int64_t sent = 0;
  while (sent < size) {
    body.Seek(0, TSeekOrigin::Current);
    const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(size - sent, kPieceSize));
    const std::size_t got = body.Read(piece.data(), want);
    if (got == 0) throw EHttpClientError(THttpErrorKind::RequestBodyFailure, "the request body ended early");
    WriteAll(piece.data(), got);
    sent += static_cast<std::int64_t>(got);
    FBodyBytesSent = sent;
    Work(TWorkMode::Write, static_cast<std::int64_t>(got));
  }
  WorkEnd(TWorkMode::Write);
}

void THttpClient::WriteAll(const char* data, std::size_t size) {
  while (size > 0) {
    if (ApplyDisconnectRequest() || !FConnection) FailClosed("disconnected while sending");
    const std::size_t n = FConnection->Write(data, size);
    data += n;
    size -= n;
    if (n == 0) {
      if (AbortWanted()) continue;  // handled at the top of the loop
      CheckDeadline();
      if (!FConnection->WaitWritable(kSliceMs)) Pump();
    }
  }
}

void THttpClient::ReadResponseHead() {
  FHeadBytes = 0;
  do {
    ReadOneHead();
  } while (IsInterim(FResponseCode));
}

void THttpClient::ReadOneHead() {
  FResponseText = ReadLine(-1, true);
  FResponseCode = ParseStatusCode(FResponseText);
  FHeaders.clear();
  for (;;) {
    std::string line = ReadLine(-1, true);
    if (line.empty()) break;
    if ((line.front() == ' ' || line.front() == '\t') && !FHeaders.empty()) {
      std::string& value = FHeaders.back().second;
      const std::string_view more = TrimHeaderBlanks(line);
      if (!more.empty()) value.append(value.empty() ? "" : " ").append(more);
      continue;
    }
    const auto colon = line.find(':');
    if (colon == std::string::npos) continue;  // not a header; nothing to learn from it
    FHeaders.emplace_back(std::string(TrimHeaderBlanks(std::string_view(line).substr(0, colon))),
                          std::string(TrimHeaderBlanks(std::string_view(line).substr(colon + 1))));
  }
  const std::int64_t now = NowSeconds();
  for (const auto& [name, value] : FHeaders) {
    if (EqualsNoCase(name, "Set-Cookie") || EqualsNoCase(name, "Set-Cookie2")) FCookies.Store(value, FHost, now);
  }
}

THttpClient::TBodyEnd THttpClient::ReadBody(TStream& sink, int waitLimitMs, std::int64_t cap) {
  const std::optional<std::int64_t> length = DeclaredLength();
  std::int64_t written = 0;
  if (length && *length >= 1) {
    WorkBegin(TWorkMode::Read, *length);
    const TBodyEnd end = CopyBytes(sink, *length, waitLimitMs, cap, written);
    WorkEnd(TWorkMode::Read);
    return end;
  }
  if (ContainsNoCase(ResponseHeader("Transfer-Encoding"), "chunked")) {
    for (;;) {
      const std::string line = ReadLine(waitLimitMs, false);
      if (line.empty() && (FPeerClosed || FAborted)) return FAborted ? TBodyEnd::Aborted : TBodyEnd::CutByPeer;
      const std::optional<std::int64_t> chunkSize = ParseChunkSize(line);
      if (!chunkSize) throw EHttpClientError(THttpErrorKind::MalformedResponse, "a chunk size that is not a number");
      const std::int64_t size = *chunkSize;
      if (size == 0) break;
      WorkBegin(TWorkMode::Read, size);
      const TBodyEnd end = CopyBytes(sink, size, waitLimitMs, cap, written);
      WorkEnd(TWorkMode::Read);
      if (end != TBodyEnd::Complete) return end;
      ReadLine(waitLimitMs, false);
    }
    // Trailer lines, up to the empty line that ends the message (or the close).
    for (int trailers = 0; trailers < 64; ++trailers) {
      if (ReadLine(waitLimitMs, false).empty()) return TBodyEnd::Complete;
    }
    throw EHttpClientError(THttpErrorKind::LineTooLong, "too many trailer lines");
  }
  if (length) return TBodyEnd::Complete;  // a length of 0
  // Until the server closes the connection.
  WorkBegin(TWorkMode::Read, 0);
  const TBodyEnd end = CopyBytes(sink, -1, waitLimitMs, cap, written);
  WorkEnd(TWorkMode::Read);
  return end == TBodyEnd::CutByPeer ? TBodyEnd::Complete : end;
}

std::optional<std::int64_t> THttpClient::DeclaredLength() const {
  std::optional<std::int64_t> length;
  for (const auto& [name, value] : FHeaders) {
    if (!EqualsNoCase(name, "Content-Length")) continue;
    const std::optional<std::int64_t> parsed = ParseDecimal(value);
    if (!parsed) throw EHttpClientError(THttpErrorKind::MalformedResponse, "a Content-Length that is not a length");
    if (length && *length != *parsed) {
      throw EHttpClientError(THttpErrorKind::MalformedResponse, "two different Content-Length values");
    }
    length = parsed;
  }
  return length;
}

THttpClient::TBodyEnd THttpClient::CopyBytes(TStream& sink, std::int64_t count, int waitLimitMs, std::int64_t cap,
                                             std::int64_t& written) {
  std::int64_t remaining = count;
  while (count < 0 || remaining > 0) {
    if (FBufferStart == FBufferEnd && !Fill(waitLimitMs)) {
      if (FAborted) return TBodyEnd::Aborted;
      return TBodyEnd::CutByPeer;
    }
    std::size_t take = std::min(FBufferEnd - FBufferStart, kPieceSize);
    if (count >= 0) take = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(take), remaining));
    if (cap >= 0 && written + static_cast<std::int64_t>(take) > cap) {
      throw EHttpClientError(THttpErrorKind::ResponseTooLarge, "the reply is larger than the client holds");
    }
    sink.Write(FBuffer.data() + FBufferStart, take);
    FBufferStart += take;
    written += static_cast<std::int64_t>(take);
    remaining -= static_cast<std::int64_t>(take);
    Work(TWorkMode::Read, static_cast<std::int64_t>(take));
    if (ApplyDisconnectRequest()) return TBodyEnd::Aborted;
  }
  return TBodyEnd::Complete;
}

std::string THttpClient::ReadLine(int waitLimitMs, bool countsAsHead) {
  std::string line;
  for (;;) {
    if (FBufferStart == FBufferEnd && !Fill(waitLimitMs)) {
      if (countsAsHead || !line.empty()) FailClosed("the server closed the connection in the middle of a line");
      return line;  // the caller looks at FPeerClosed / FAborted
    }
    const char* begin = FBuffer.data() + FBufferStart;
    const std::size_t available = FBufferEnd - FBufferStart;
    const void* found = std::memchr(begin, '\n', available);
    const std::size_t take = found ? static_cast<std::size_t>(static_cast<const char*>(found) - begin) : available;
    if (line.size() + take > kMaxLineLength + 1) {
      throw EHttpClientError(THttpErrorKind::LineTooLong, "a response line is longer than the client accepts");
    }
    line.append(begin, take);
    FBufferStart += take + (found ? 1 : 0);
    if (countsAsHead) {
      FHeadBytes += take + (found ? 1 : 0);
      if (FHeadBytes > kMaxHeadSize) {
        throw EHttpClientError(THttpErrorKind::LineTooLong, "the response head is larger than the client accepts");
      }
    }
    if (found) break;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.size() > kMaxLineLength) {
    throw EHttpClientError(THttpErrorKind::LineTooLong, "a response line is longer than the client accepts");
  }
  return line;
}

bool THttpClient::Fill(int waitLimitMs) {
  FBufferStart = FBufferEnd = 0;
  for (;;) {
    if (ApplyDisconnectRequest() || !FConnection) return false;
    const long n = FConnection->Read(FBuffer.data(), FBuffer.size());
    if (n > 0) {
      FBufferEnd = static_cast<std::size_t>(n);
      FAnswerStarted = true;
      CheckDeadline();  // a server that trickles its bytes
      Tick();
      return true;
    }
    if (n == 0) {
      FPeerClosed = true;
      return false;
    }
    if (!WaitForData(waitLimitMs)) return false;
  }
}

bool THttpClient::WaitForData(int waitLimitMs) {
  const auto start = TClock::now();
  const bool idleLimited = FLimits.IdleMs >= 0 && (waitLimitMs < 0 || FLimits.IdleMs < waitLimitMs);
  if (idleLimited) waitLimitMs = FLimits.IdleMs;
  for (;;) {
    if (ApplyDisconnectRequest() || !FConnection) return false;
    CheckDeadline();
    int slice = kSliceMs;
    if (waitLimitMs >= 0) {
      const int left = waitLimitMs - ElapsedMs(start);
      if (left <= 0 && idleLimited) {
        throw EHttpClientError(THttpErrorKind::ReadTimeout,
                               "no data from the server for " + SecondsText(waitLimitMs));
      }
      if (left <= 0) throw EHttpClientError(THttpErrorKind::ReadTimeout, "no data from the server in time");
      slice = std::min(slice, left);
    }
    if (FConnection->WaitReadable(slice)) return true;
    Pump();
  }
}

void THttpClient::Tick() {
  if (ElapsedMs(FLastTick) < kSliceMs) return;
  Pump();
}

void THttpClient::Pump() {
  FLastTick = TClock::now();
  if (FPump && std::this_thread::get_id() == FInterfaceThread) FPump();
}

bool THttpClient::AbortWanted() { return FDisconnectRequested || (FAbortCheck && FAbortCheck()); }

bool THttpClient::ApplyDisconnectRequest() {
  if (!AbortWanted()) return FAborted;
  FDisconnectRequested = false;
  FAborted = true;
  CloseConnection();
  return true;
}

void THttpClient::CheckDeadline() {
  if (FLimits.TotalMs < 0 || TClock::now() < FDeadline) return;
  throw EHttpClientError(THttpErrorKind::ReadTimeout,
                         "the exchange took longer than " + SecondsText(FLimits.TotalMs));
}

void THttpClient::FailClosed(const std::string& what) {
  if (FAborted) throw EHttpClientError(THttpErrorKind::Aborted, "disconnected: " + what);
  throw EHttpClientError(THttpErrorKind::ConnectionFailure, what);
}

void THttpClient::FinishConnection(TMethod method) {
  if (!FConnection || FPeerClosed || FAborted) {
    CloseConnection();
    return;
  }
  const std::string connection = std::string(TrimHeaderBlanks(ResponseHeader("Connection")));
  const std::string proxy = std::string(TrimHeaderBlanks(ResponseHeader("Proxy-Connection")));
  bool keep;
  if (method == TMethod::Post) {
    keep = EqualsNoCase(connection, "keep-alive") || EqualsNoCase(proxy, "keep-alive");
  } else {
    keep = !EqualsNoCase(connection, "close") && !EqualsNoCase(proxy, "close");
  }
  if (!keep) CloseConnection();
}

void THttpClient::WorkBegin(TWorkMode mode, std::int64_t expected) {
  TWorkState& state = FWork[static_cast<int>(mode)];
  if (++state.level == 1) {
    state.count = 0;
    if (OnWorkBegin) OnWorkBegin(mode, expected);
  }
}

void THttpClient::Work(TWorkMode mode, std::int64_t bytes) {
  TWorkState& state = FWork[static_cast<int>(mode)];
  if (state.level < 1) return;
  state.count += bytes;
  if (OnWork) OnWork(mode, state.count);
}

void THttpClient::WorkEnd(TWorkMode mode) {
  TWorkState& state = FWork[static_cast<int>(mode)];
  if (state.level == 1 && OnWorkEnd) OnWorkEnd(mode);
  if (state.level > 0) --state.level;
}

}  // namespace halvane
