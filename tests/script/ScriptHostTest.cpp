#include <gtest/gtest.h>

#include "script/ScriptErrors.h"
#include "script/ScriptHost.h"
#include "script/ScriptInterpreter.h"
#include "script/ScriptOpcodes.h"
#include "tests/script/ScriptTestImage.h"

namespace halvane {
namespace {

using test::Assemble;
using test::TLoadedImage;

constexpr std::string_view kPublics = R"(
.native strlen
.public beta f
.public alpha f
.public gamma f
.public delta f
.code
        halt 0
f:      proc
        push.s 12
        push.c 4
        sysreq.c strlen
        stack 8
        retn
.data
        .cell 1
)";

TEST(ScriptSetString, UnpackedWidensBytesWithTheirSign) {
  std::vector<std::uint8_t> memory(32, 0xAA);
  TScriptCells cells{memory.data(), 8};
  ASSERT_EQ(ScriptSetString(cells, std::string_view("\x61\x62\xE9", 3), false), kScriptOk);
  EXPECT_EQ(cells.Get(0), 97);
  EXPECT_EQ(cells.Get(1), 98);
  EXPECT_EQ(cells.Get(2), -23);
  EXPECT_EQ(cells.Get(3), 0);
  ASSERT_EQ(ScriptSetString(cells, std::u16string_view(u"\u00E9\u20AC"), false), kScriptOk);
  EXPECT_EQ(cells.Get(0), 0xE9);
  EXPECT_EQ(cells.Get(1), 0x20AC);
}

TEST(ScriptSetString, PackedPutsTheFirstCharacterHighest) {
  std::vector<std::uint8_t> memory(16, 0xAA);
  TScriptCells cells{memory.data(), 4};
  ASSERT_EQ(ScriptSetString(cells, "abcde", true), kScriptOk);
  EXPECT_EQ(cells.Get(0), 0x61626364);
  EXPECT_EQ(cells.Get(1), 0x65000000);
  ASSERT_EQ(ScriptSetString(cells, "abcd", true), kScriptOk);
  EXPECT_EQ(cells.Get(1), 0);
  EXPECT_EQ(ScriptSetString(TScriptCells{memory.data(), 2}, "abc", false), kScriptErrParams);
}

TEST(ScriptStrLen, ReadsBothFormsAndStopsAtTheReference) {
  std::vector<std::uint8_t> memory(16, 0);
  TScriptCells cells{memory.data(), 4};
  int length = -1;
  cells.Set(0, 0x61626300);
  EXPECT_EQ(ScriptStrLen(cells, length), kScriptOk);
  EXPECT_EQ(length, 3);
  cells.Set(0, 97);
  cells.Set(1, 98);
  cells.Set(2, 0);
  EXPECT_EQ(ScriptStrLen(cells, length), kScriptOk);
  EXPECT_EQ(length, 2);
  cells.Set(2, 99);
  cells.Set(3, 100);
  EXPECT_EQ(ScriptStrLen(cells, length), kScriptOk);
  EXPECT_EQ(length, 4);  // unterminated: ends with the reference
  EXPECT_EQ(ScriptStrLen(TScriptCells{}, length), kScriptErrParams);
  EXPECT_EQ(length, 0);
  std::string text;
  ScriptGetString(text, cells);
  EXPECT_EQ(text, "abcd");
}

TEST(ScriptAllot, KeepsSixtyFourBytesToTheStack) {
  TLoadedImage loaded(Assemble(kPublics));
  TScriptMachine& m = loaded.Machine;
  const TCell hea = m.HEA;
  m.STK = hea + 104;
  TCell address = 0;
  TScriptCells cells;
  EXPECT_EQ(ScriptAllot(m, 10, address, cells), kScriptOk);
  EXPECT_EQ(address, hea);
  EXPECT_EQ(m.HEA, hea + 40);
  ScriptRelease(m, address);
  m.STK = hea + 103;
  EXPECT_EQ(ScriptAllot(m, 10, address, cells), kScriptErrMemoryHeap);
  EXPECT_EQ(m.HEA, hea);
  EXPECT_EQ(ScriptAllot(m, 1 << 29, address, cells), kScriptErrMemoryHeap);
  EXPECT_EQ(ScriptAllot(m, -5, address, cells), kScriptErrMemoryHeap);
}

TEST(ScriptAllot, ReleasingTheFirstReleasesLaterOnesAndAboveHeaIsIgnored) {
  TLoadedImage loaded(Assemble(kPublics));
  TScriptMachine& m = loaded.Machine;
  const TCell hea = m.HEA;
  TCell a1 = 0;
  TCell a2 = 0;
  TScriptCells cells;
  ASSERT_EQ(ScriptAllot(m, 3, a1, cells), kScriptOk);
  ASSERT_EQ(ScriptAllot(m, 2, a2, cells), kScriptOk);
  ScriptRelease(m, a2 + 100);
  EXPECT_EQ(m.HEA, hea + 20);
  ScriptRelease(m, a1);
  EXPECT_EQ(m.HEA, hea);
}

TEST(ScriptGetAddr, RefusesTheGapNegativeAndTheTop) {
  TLoadedImage loaded(Assemble(kPublics));
  TScriptMachine& m = loaded.Machine;
  TScriptCells ref;
  EXPECT_EQ(ScriptGetAddr(m, 0, ref), kScriptOk);
  EXPECT_EQ(ScriptGetAddr(m, -4, ref), kScriptErrMemory);
  EXPECT_FALSE(ref);
  EXPECT_EQ(ScriptGetAddr(m, m.HEA, ref), kScriptErrMemory);
  EXPECT_EQ(ScriptGetAddr(m, m.STP, ref), kScriptErrMemory);
  EXPECT_EQ(ScriptGetAddr(m, m.STP - 4, ref), kScriptErrMemory);  // in the gap while STK = STP
  m.STK = m.STP - 8;
  EXPECT_EQ(ScriptGetAddr(m, m.STP - 4, ref), kScriptOk);
  EXPECT_EQ(ref.Count, 2u);  // the cell and the closing cell of the block
}

TEST(ScriptFindPublic, SearchesTheSortedTableInBothVersions) {
  for (int version : {6, 7}) {
    TLoadedImage loaded(Assemble(kPublics, {.Version = version, .Compact = {}}));
    int index = -1;
    std::string name;
    ASSERT_EQ(ScriptNumPublics(loaded.Machine), 4);
    const char* sorted[] = {"alpha", "beta", "delta", "gamma"};
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(ScriptFindPublic(loaded.Machine, sorted[i], index), kScriptOk);
      EXPECT_EQ(index, i);
      EXPECT_EQ(ScriptGetPublic(loaded.Machine, i, name), kScriptOk);
      EXPECT_EQ(name, sorted[i]);
    }
    EXPECT_EQ(ScriptFindPublic(loaded.Machine, "omega", index), kScriptErrNotFound);
    EXPECT_EQ(index, 2147483647);
    EXPECT_EQ(ScriptFindPublic(loaded.Machine, "", index), kScriptErrNotFound);
    EXPECT_EQ(ScriptGetPublic(loaded.Machine, 4, name), kScriptErrIndex);
  }
}

TEST(ScriptFindPublic, ComparesTheWholeWantedName) {
  const std::string name31(31, 'p');
  const std::string source = ".public " + name31 + " f\n.code\n        halt 0\nf:      proc\n        retn\n";
  TLoadedImage loaded(Assemble(source, {.Version = 7, .Compact = {}}));
  ASSERT_EQ(loaded.InitCode, kScriptOk);
  int index = -1;
  EXPECT_EQ(ScriptFindPublic(loaded.Machine, name31, index), kScriptOk);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(ScriptFindPublic(loaded.Machine, name31 + "p", index), kScriptErrNotFound);
  EXPECT_EQ(ScriptFindPublic(loaded.Machine, name31 + "123456789", index), kScriptErrNotFound);
}

TEST(ScriptRegister, BindsAcrossTablesAndRewritesSysreqOnFirstCall) {
  TLoadedImage loaded(Assemble(kPublics), false);
  TScriptMachine& m = loaded.Machine;
  const TNativeEntry other[] = {{"unrelated", nullptr}, {nullptr, nullptr}};
  EXPECT_EQ(ScriptRegister(m, other, -1), kScriptErrNotFound);
  EXPECT_EQ(ScriptRegister(m, nullptr, 0), kScriptErrNotFound);
  TCell result = 0;
  EXPECT_EQ(ScriptExec(m, &result, 0, {}), kScriptErrNotFound);
  // A row limit of 0 searches nothing; -1 the whole table.
  EXPECT_EQ(ScriptRegister(m, ScriptCoreNatives(), 0), kScriptErrNotFound);
  EXPECT_EQ(ScriptCoreInit(m), kScriptOk);
  EXPECT_EQ(ScriptRegister(m, nullptr, 0), kScriptOk);

  const TScriptHeader h = ReadScriptHeader(loaded.Block.data());
  const std::uint8_t* code = loaded.Block.data() + h.Code;
  // halt 0; proc; push.s 12; push.c 4; then SYSREQ.C at offset 28
  ASSERT_EQ(ReadLe32(code + 28), static_cast<TCell>(OP_SYSREQ_C));
  TCell text = 0;
  TScriptCells cells;
  ASSERT_EQ(ScriptAllot(m, 6, text, cells), kScriptOk);
  ScriptSetString(cells, "hello", false);
  EXPECT_EQ(ScriptExec(m, &result, 0, {text}), kScriptOk);
  EXPECT_EQ(result, 5);
  EXPECT_EQ(ReadLe32(code + 28), static_cast<TCell>(OP_SYSREQ_D));
  EXPECT_EQ(ReadLe32(code + 32), 0);  // native number 0, the side table's index
  result = 0;
  EXPECT_EQ(ScriptExec(m, &result, 0, {text}), kScriptOk);
  EXPECT_EQ(result, 5);
}

TEST(ScriptExec, MachineWithoutHookOrImageIsRefused) {
  TScriptMachine empty;
  TCell result = 0;
  EXPECT_EQ(ScriptExec(empty, &result, 0, {}), kScriptErrCallback);
  empty.Callback = ScriptNativeDispatch;
  EXPECT_EQ(ScriptExec(empty, &result, 0, {}), kScriptErrInit);
}

TEST(ScriptExec, ArgumentsThatDoNotFitAreRefusedBeforeTheyAreStored) {
  TLoadedImage loaded(Assemble(kPublics));
  TScriptMachine& m = loaded.Machine;
  TCell a = 0;
  TScriptCells heap;
  ASSERT_EQ(ScriptAllot(m, 4, a, heap), kScriptOk);
  heap.Set(3, 1234);
  std::vector<TCell> args(static_cast<std::size_t>((m.STK - m.HEA) / 4), 7);
  TCell result = 0;
  EXPECT_EQ(ScriptExecArray(m, &result, 0, static_cast<int>(args.size()), args.data()), kScriptErrStackHeap);
  EXPECT_EQ(heap.Get(3), 1234);
}

TEST(ScriptExec, BranchBudgetSuspendsEndlessLoops) {
  TLoadedImage loaded(Assemble(R"(
.public spin spin
.code
        halt 0
spin:   proc
        zero.pri
loop:   inc.pri
        jump loop
)"));
  TScriptMachine& m = loaded.Machine;
  m.BranchBudget = 1000;
  TCell result = 0;
  EXPECT_EQ(ScriptExec(m, &result, 0, {}), kScriptSleep);
  EXPECT_EQ(m.PRI, 1000);
  EXPECT_EQ(ScriptExec(m, &result, kScriptExecCont, {}), kScriptSleep);
  EXPECT_EQ(m.PRI, 2000);
}

}  // namespace
}  // namespace halvane
