// Feeds arbitrary bytes to THttpClient as what servers answer. The first
// byte picks the operation; the rest is split at "\n~~\n" into the replies of
// successive connections (redirects, re-connects).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "THttpClient.h"
#include "TMemoryConnector.h"
#include "TMultipartBody.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace halvane;
  if (size == 0) return 0;
  const std::uint8_t mode = data[0];
  std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  auto connector = std::make_unique<TMemoryConnector>();
  for (int i = 0; i < 20; ++i) {
    const auto split = rest.find("\n~~\n");
    connector->AddReply(std::string(rest.substr(0, split)));
    if (split == std::string_view::npos) break;
    rest.remove_prefix(split + 4);
  }
  THttpClient client(std::move(connector));
  std::int64_t events = 0;
  client.OnWorkBegin = [&](TWorkMode, std::int64_t) { ++events; };
  client.OnWork = [&](TWorkMode, std::int64_t) { ++events; };
  client.OnWorkEnd = [&](TWorkMode) { ++events; };
  try {
    if (mode & 1) {
      TMultipartBody body("--------120807140509042");
      body.AddField("a", "b");
      (void)client.Post("http://x.y.z/p/q?r=s", body, body.ContentType());
    } else {
      TMemoryStream sink;
      client.Get("http://x.y.z:8080/a/b.html", sink);
    }
  } catch (const EHttpClientError&) {
  }
  // A second request over whatever state the first one left behind.
  try {
    TMemoryStream sink;
    client.Get((mode & 2) ? "next.html" : "http://w.x.y.z/", sink);
  } catch (const EHttpClientError&) {
  }
  (void)client.ResponseCode();
  return 0;
}
