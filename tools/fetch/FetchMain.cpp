// halvane-fetch: the program's HTTP client on the command line.
//   halvane-fetch [-o FILE] URL [URL ...]
//   halvane-fetch --post NAME=VALUE [--post NAME=VALUE ...] URL
//   halvane-fetch --help
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/fetch/FetchExitCodes.h"
#include "tools/fetch/FetchHelp.h"
#include "tools/fetch/LiveFetch.h"
#include "tools/fetch/PrintableText.h"
#include "tools/fetch/TStdoutStream.h"
#include "net/THttpClient.h"
#include "net/TMultipartBody.h"

namespace halvane {
namespace {

int Usage(const std::string& problem) {
  std::cerr << "halvane-fetch: " << problem << "\n" << kFetchUsage;
  return kFetchBadArguments;
}

// One request; reports it on standard error and tells whether it succeeded.
template <typename F>
bool Report(THttpClient& client, F&& request) {
  try {
    request();
  } catch (const HttpProtocolError&) {
    std::cerr << PrintableText(client.ResponseText()) << "\n";
    return false;
  } catch (const EHttpClientError& e) {
    std::cerr << "error: " << DescribeErrorKind(e.Kind()) << "\n";
    return false;
  } catch (const EStreamError& e) {
    std::cerr << "error: output failure (" << e.what() << ")\n";
    return false;
  }
  std::cerr << PrintableText(client.ResponseText()) << "\n";
  // The client follows every Location below its limit: one left in the last
  // answer means the chain ended at the limit, without the page.
  if (!client.ResponseHeader("Location").empty()) {
    std::cerr << "error: redirect limit reached (" << THttpClient::kRedirectMaximum << " requests)\n";
    return false;
  }
  return client.ResponseCode() >= 200 && client.ResponseCode() <= 299;
}

int Run(int argc, char** argv) {
  std::string outputPath;
  std::vector<std::pair<std::string, std::string>> fields;
  std::vector<std::string> urls;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-o" || arg == "--post") {
      if (i + 1 >= argc) return Usage(arg + " needs a value");
      const std::string value = argv[++i];
      if (arg == "-o") {
        if (!outputPath.empty()) return Usage("-o given twice");
        outputPath = value;
      } else {
        const auto eq = value.find('=');
        if (eq == std::string::npos) return Usage("--post takes NAME=VALUE");
        fields.emplace_back(value.substr(0, eq), value.substr(eq + 1));
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Usage("unknown option " + arg);
    } else {
      urls.push_back(arg);
    }
  }
  if (urls.empty()) return Usage("no URL");
  if (!fields.empty() && (urls.size() != 1 || !outputPath.empty())) {
    return Usage("--post takes exactly one URL and no -o");
  }

  THttpClient client;
  if (!fields.empty()) {
    TMultipartBody body;
    for (const auto& [name, value] : fields) body.AddField(name, value);
    std::string reply;
    const bool ok = Report(client, [&] { reply = client.Post(urls.front(), body, body.ContentType()); });
    std::fwrite(reply.data(), 1, reply.size(), stdout);
    std::fflush(stdout);
    return ok ? kFetchSucceeded : kFetchFailed;
  }

  std::unique_ptr<TStream> sink;
  try {
    if (outputPath.empty()) {
      sink = std::make_unique<TStdoutStream>();
    } else {
      sink = std::make_unique<TFileStream>(outputPath, TFileMode::Append);
    }
  } catch (const EStreamError& e) {
    std::cerr << "halvane-fetch: " << e.what() << "\n";
    return kFetchFailed;
  }
  bool allOk = true;
  for (const std::string& url : urls) {
    allOk = Report(client, [&] { client.Get(url, *sink); }) && allOk;
  }
  return allOk ? kFetchSucceeded : kFetchFailed;
}

}  // namespace
}  // namespace halvane

int main(int argc, char** argv) {
  if (halvane::WantsFetchHelp(argc, argv)) {
    std::cout << halvane::FetchHelpText();
    return halvane::kFetchSucceeded;
  }
  if (halvane::WantsLive(argc, argv)) return halvane::RunLive(argc, argv);
  return halvane::Run(argc, argv);
}
