// Throughput of the settings container and the document reader.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "BrandSettings.h"
#include "CryptFile.h"
#include "base/MarkerScan.h"
#include "TEncryption.h"

namespace {

std::string Plain(std::size_t length) {
  std::string text(length, 'x');
  for (std::size_t i = 0; i < length; ++i) text[i] = static_cast<char>('a' + i % 26);
  return text;
}

void BM_Encrypt(benchmark::State& state) {
  const std::string plain = Plain(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    std::string container;
    benchmark::DoNotOptimize(halvane::EncryptSettingsBytes(plain, container));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Encrypt)->Arg(4 << 10)->Arg(1 << 20);

void BM_Decrypt(benchmark::State& state) {
  std::string container;
  halvane::EncryptSettingsBytes(Plain(static_cast<std::size_t>(state.range(0))), container);
  for (auto _ : state) {
    std::string plain;
    benchmark::DoNotOptimize(halvane::DecryptSettingsBytes(container, plain));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Decrypt)->Arg(4 << 10)->Arg(1 << 20);

void BM_ReadDocument(benchmark::State& state) {
  std::string document;
  for (int n = 1; n <= 16; ++n) {
    document += "<%%Banner" + std::to_string(n) + "%%>banner.gif^http://b.example/<%%/Banner" +
                std::to_string(n) + "%%>\r\n";
  }
  document.insert(0, Plain(static_cast<std::size_t>(state.range(0))) + "\r\n");
  halvane::TBrandRandom random(1);
  for (auto _ : state) {
    halvane::TBrandDocument read = halvane::ReadBrandDocument(document);
    halvane::ChooseBrandEntries(read, random);
    benchmark::DoNotOptimize(read.Settings.BannerNumber);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(document.size()));
}
BENCHMARK(BM_ReadDocument)->Arg(4 << 10)->Arg(1 << 20);

}  // namespace

// A harvest-style walk with ExtractBetween over a page where the upper-case
// form of the markers' first letter never occurs: the cost must stay linear.
static void BM_ExtractBetweenWalk(benchmark::State& state) {
  const std::size_t links = static_cast<std::size_t>(state.range(0));
  std::string page;
  page.reserve(links * 100);
  for (std::size_t i = 0; i < links; ++i) {
    page += "<div class=r><a href=\"/url?q=http://blog" + std::to_string(i) +
            ".example/post/&amp;sa=u\">result text here</a></div>\n";
  }
  page += "next<";
  for (auto _ : state) {
    std::string_view w = page;
    std::size_t found = 0;
    while (!halvane::ExtractBetween(w, "href=\"/url?q=", "\"").empty()) ++found;
    benchmark::DoNotOptimize(found);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_ExtractBetweenWalk)->Arg(50000)->Arg(200000)->Unit(benchmark::kMillisecond);
