// Interpreter speed and the checksum script against its native reference.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "ChecksumScript.h"
#include "ScriptAssembler.h"
#include "ScriptErrors.h"
#include "ScriptImage.h"
#include "ScriptInterpreter.h"
#include "ScriptLoader.h"
#include "ScriptNatives.h"
#include "UrlHashReference.h"

namespace {

using namespace halvane;

// Four instructions an iteration: arithmetic and a conditional jump back.
constexpr const char* kLoop = R"(
.public spin spin
.public frame frame
.code
        halt 0
spin:   proc
        load.s.alt 12
        zero.pri
loop:   inc.pri
        add.c 7
        add.c -7
        jsless loop
        retn
; Six an iteration, the counter in a frame local.
frame:  proc
        push.c 0
        load.s.alt 12
floop:  inc.s -4
        load.s.pri -4
        smul.c 3
        add.c -1
        xor
        jnz floop
        stack 4
        retn
)";

struct TBenchMachine {
  std::vector<std::uint8_t> Block;
  TScriptMachine Machine;
  TBenchMachine() {
    TAssembledScript script;
    AssembleScript(kLoop, {}, script);
    Block = script.Image;
    Block.resize(static_cast<std::size_t>(ReadLe32(Block.data() + hdr::StackTop)), 0);
    ScriptInit(Machine, Block.data(), Block.size());
    ScriptCoreInit(Machine);
  }
};

void RunLoop(benchmark::State& state, int index, TCell argument, double iterations, double perIteration) {
  TBenchMachine bench;
  for (auto _ : state) {
    TCell result = 0;
    const int rc = ScriptExec(bench.Machine, &result, index, {argument});
    if (rc != kScriptOk) state.SkipWithError("run failed");
    benchmark::DoNotOptimize(result);
  }
  state.counters["instructions/s"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * iterations * perIteration, benchmark::Counter::kIsRate);
}

void BM_ArithmeticJumpLoop(benchmark::State& state) {
  RunLoop(state, 1, 10'000'000, 1e7, 4);  // publics sorted: frame, spin
}
BENCHMARK(BM_ArithmeticJumpLoop)->Unit(benchmark::kMillisecond);

void BM_FrameLocalLoop(benchmark::State& state) {
  // xor with ALT = n is zero when the counter's image 3k-1 equals n: pick n
  // so that it does after 10 million steps.
  RunLoop(state, 0, 3 * 10'000'000 - 1, 1e7, 6);
}
BENCHMARK(BM_FrameLocalLoop)->Unit(benchmark::kMillisecond);

const std::string kText = "info:www.example.com/blog/2009/06/a-post-about-things/xy.htm";
static_assert(sizeof("info:www.example.com/blog/2009/06/a-post-about-things/xy.htm") - 1 == 60);

void BM_UrlHashScript(benchmark::State& state) {
  LoadChecksumScript();
  const bool old = state.range(0) != 0;
  for (auto _ : state) benchmark::DoNotOptimize(ComputeUrlHash(kText, old));
}
BENCHMARK(BM_UrlHashScript)->Arg(0)->Arg(1);

void BM_UrlHashReference(benchmark::State& state) {
  const bool old = state.range(0) != 0;
  for (auto _ : state) benchmark::DoNotOptimize(test::ReferenceUrlHash(kText, old));
}
BENCHMARK(BM_UrlHashReference)->Arg(0)->Arg(1);

// Both in the same run, reported as the ratio script / native.
void BM_UrlHashRatio(benchmark::State& state) {
  LoadChecksumScript();
  const bool old = state.range(0) != 0;
  if (ComputeUrlHash(kText, old) != test::ReferenceUrlHash(kText, old)) {
    state.SkipWithError("script and reference disagree");
    return;
  }
  using Clock = std::chrono::steady_clock;
  Clock::duration script{};
  Clock::duration native{};
  constexpr int kBatch = 2000;
  for (auto _ : state) {
    auto t0 = Clock::now();
    for (int i = 0; i < kBatch; ++i) benchmark::DoNotOptimize(ComputeUrlHash(kText, old));
    auto t1 = Clock::now();
    for (int i = 0; i < kBatch; ++i) benchmark::DoNotOptimize(test::ReferenceUrlHash(kText, old));
    auto t2 = Clock::now();
    script += t1 - t0;
    native += t2 - t1;
  }
  const double calls = static_cast<double>(state.iterations()) * kBatch;
  state.counters["script_ns"] = std::chrono::duration<double, std::nano>(script).count() / calls;
  state.counters["native_ns"] = std::chrono::duration<double, std::nano>(native).count() / calls;
  state.counters["ratio"] = static_cast<double>(script.count()) / static_cast<double>(native.count());
}
BENCHMARK(BM_UrlHashRatio)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
