// halvane-fetch --live [--ca-file FILE] [--proxy ADDR]... [--parallel N] [-o FILE] URL...
// Every URL at once through the live client; bodies in command-line order.
#include "tools/fetch/LiveFetch.h"

#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "live/TLiveClient.h"
#include "tools/fetch/FetchExitCodes.h"
#include "tools/fetch/FetchHelp.h"
#include "tools/fetch/PrintableText.h"

namespace halvane {

namespace {

int Usage(const std::string& problem) {
  std::cerr << "halvane-fetch: " << problem << "\n"
            << "usage: " << kLiveFetchUsage;
  return kFetchBadArguments;
}

bool WriteAll(std::FILE* out, const std::string& bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size() && std::fflush(out) == 0;
}

}  // namespace

bool WantsLive(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == "--live") return true;
  }
  return false;
}

int RunLive(int argc, char** argv) {
  live::TNetworkSettings settings;
  std::string outputPath;
  std::vector<std::string> urls;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--live") continue;
    if (arg == "-o" || arg == "--ca-file" || arg == "--proxy" || arg == "--parallel") {
      if (i + 1 >= argc) return Usage(arg + " needs a value");
      const std::string value = argv[++i];
      if (arg == "-o") {
        if (!outputPath.empty()) return Usage("-o given twice");
        outputPath = value;
      } else if (arg == "--ca-file") {
        settings.CaFile = value;
      } else if (arg == "--proxy") {
        settings.Proxies.push_back(value);
      } else {
        const bool digits = !value.empty() && value.size() <= 2 && value.find_first_not_of("0123456789") == std::string::npos;
        const int parallel = digits ? std::stoi(value) : 0;
        if (parallel < 1 || parallel > 16) return Usage("--parallel takes 1 to 16");
        settings.Parallel = parallel;
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Usage("unknown option " + arg);
    } else {
      urls.push_back(arg);
    }
  }
  if (urls.empty()) return Usage("no URL");

  std::FILE* out = stdout;
  if (!outputPath.empty()) {
    out = std::fopen(outputPath.c_str(), "ab");
    if (!out) {
      std::cerr << "halvane-fetch: cannot open " << outputPath << ": " << std::strerror(errno) << "\n";
      return kFetchFailed;
    }
  }

  std::mutex mutex;
  std::condition_variable arrived;
  std::vector<std::optional<live::TLiveResponse>> answers(urls.size());
  bool allOk = true;
  {
    live::TLiveClient client(settings);
    for (std::size_t i = 0; i < urls.size(); ++i) {
      live::TLiveRequest request;
      request.Url = urls[i];
      client.Submit(std::move(request), [&, i](live::TLiveResponse r) {
        std::lock_guard lock(mutex);
        answers[i] = std::move(r);
        arrived.notify_all();
      });
    }
    // In command-line order, each as soon as it and those before it are in.
    for (std::size_t i = 0; i < urls.size(); ++i) {
      live::TLiveResponse r;
      {
        std::unique_lock lock(mutex);
        arrived.wait(lock, [&] { return answers[i].has_value(); });
        r = std::move(*answers[i]);
      }
      if (!r.Answered()) {
        std::cerr << "error: " << PrintableText(r.Message) << "\n";
        allOk = false;
        continue;
      }
      std::cerr << PrintableText(r.StatusLine.empty() ? "HTTP " + std::to_string(r.Status) : r.StatusLine);
      if (!r.Message.empty()) std::cerr << " (" << PrintableText(r.Message) << ")";
      std::cerr << "\n";
      allOk = r.Succeeded() && allOk;
      if (!WriteAll(out, r.Body)) {
        std::cerr << "error: cannot write " << (outputPath.empty() ? "to standard output" : outputPath) << ": "
                  << std::strerror(errno) << "\n";
        allOk = false;
        client.AbortAll();
        break;  // the client waits for nothing when it goes
      }
    }
  }
  // Closing can report a write error of its own.
  if (out != stdout && std::fclose(out) != 0) {
    std::cerr << "error: cannot write " << outputPath << ": " << std::strerror(errno) << "\n";
    allOk = false;
  }
  return allOk ? kFetchSucceeded : kFetchFailed;
}

}  // namespace halvane
