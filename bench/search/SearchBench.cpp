// The harvest walk and the link scan over large pages: time should grow
// linearly with the page.
#include <benchmark/benchmark.h>

#include <string>

#include "Harvest.h"
#include "ItemAnalysis.h"

namespace halvane {
namespace {

// A result page of about pageBytes bytes with linkCount result links and
// the pager at the end, so the walk takes every link.
std::string ResultPage(std::size_t pageBytes, std::size_t linkCount, bool distinct = true) {
  std::string page;
  page.reserve(pageBytes + 64);
  const std::size_t perLink = pageBytes / linkCount;
  for (std::size_t i = 0; i < linkCount; ++i) {
    const std::size_t start = page.size();
    page += "<h3 class=r><a href=\"/url?q=http://blog";
    page += std::to_string(distinct ? i : 0);
    page += ".test/post&amp;sa=U\">A post</a></h3><div class=s>";
    if (page.size() - start < perLink) page.append(perLink - (page.size() - start), 'x');
    page += "</div>";
  }
  page += "<span>Next</span>";
  return page;
}

// A blog page with linkCount links, none of them to the user's domain.
std::string BlogPage(std::size_t pageBytes, std::size_t linkCount, bool closeQuotes) {
  std::string page;
  page.reserve(pageBytes + 64);
  const std::size_t perLink = pageBytes / linkCount;
  for (std::size_t i = 0; i < linkCount; ++i) {
    const std::size_t start = page.size();
    page += (i % 2) ? "<a class=c href='http://other" : "<a href=\"http://other";
    page += std::to_string(i);
    page += ".test/";
    if (closeQuotes) page += (i % 2) ? "'" : "\"";
    page += ">comment author</a><p>";
    if (page.size() - start < perLink) page.append(perLink - (page.size() - start), 'w');
    page += "</p>";
  }
  return page;
}

void BM_HarvestResultPage(benchmark::State& state) {
  const auto megabytes = static_cast<std::size_t>(state.range(0));
  const std::string page = ResultPage(megabytes << 20, megabytes * 10000);
  for (auto _ : state) {
    THarvestedUrls urls;
    benchmark::DoNotOptimize(HarvestResultPage(page, "http://images.google", urls));
    if (urls.Size() != megabytes * 10000) state.SkipWithError("walk missed links");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_HarvestResultPage)->Arg(5)->Arg(20)->Unit(benchmark::kMillisecond);

// The same walk where every link repeats one address: the scan alone,
// without the growth of the harvested list.
void BM_HarvestResultPageRepeatedLink(benchmark::State& state) {
  const auto megabytes = static_cast<std::size_t>(state.range(0));
  const std::string page = ResultPage(megabytes << 20, megabytes * 10000, false);
  for (auto _ : state) {
    THarvestedUrls urls;
    benchmark::DoNotOptimize(HarvestResultPage(page, "http://images.google", urls));
    if (urls.Size() != 1) state.SkipWithError("walk missed links");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_HarvestResultPageRepeatedLink)->Arg(5)->Arg(20)->Unit(benchmark::kMillisecond);

void BM_ScanForUserLink(benchmark::State& state) {
  const std::string page = BlogPage(5 << 20, 50000, state.range(0) != 0);
  for (auto _ : state) {
    const TLinkScanResult scan = ScanForUserLink(page, "mysite.test");
    if (scan.hasLink) state.SkipWithError("unexpected match");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
// 1: ordinary links; 0: no target has its closing quote (hostile page).
BENCHMARK(BM_ScanForUserLink)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace halvane

BENCHMARK_MAIN();
