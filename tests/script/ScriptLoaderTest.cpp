#include <gtest/gtest.h>

#include "script/ScriptErrors.h"
#include "script/ScriptHost.h"
#include "script/ScriptInterpreter.h"
#include "tests/script/ScriptTestImage.h"

namespace halvane {
namespace {

using test::Assemble;
using test::TLoadedImage;

constexpr std::string_view kSmall = R"(
.public f f
.code
        halt 0
f:      proc
        const.pri 5
        retn
.data
        .cell 1, 2, 3
)";

int InitWith(std::vector<std::uint8_t> image) { return TLoadedImage(std::move(image)).InitCode; }

TEST(ScriptInit, ChecksVersionsAndRecordSizeBeforeAnythingElse) {
  auto image = Assemble(kSmall);
  EXPECT_EQ(InitWith(image), kScriptOk);

  auto v5 = image;
  v5[hdr::FileVersion] = 5;
  EXPECT_EQ(InitWith(v5), kScriptErrVersion);
  auto m8 = image;
  m8[hdr::MachineVersion] = 8;
  EXPECT_EQ(InitWith(m8), kScriptErrVersion);
  auto v6m7 = Assemble(kSmall, {.Version = 6, .Compact = {}});
  v6m7[hdr::MachineVersion] = 7;
  EXPECT_EQ(InitWith(v6m7), kScriptOk);

  auto record16 = image;
  WriteLe16(record16.data() + hdr::RecordSize, 16);
  EXPECT_EQ(InitWith(record16), kScriptErrFormat);
  auto magic = image;
  magic[hdr::Magic] ^= 1;
  EXPECT_EQ(InitWith(magic), kScriptErrFormat);
}

TEST(ScriptInit, HeaderLengthFollowsTheFileVersion) {
  // Version 6 has no name-table field: its publics may start at byte 52.
  auto v6 = Assemble(kSmall, {.Version = 6, .Compact = {}});
  ASSERT_EQ(ReadLe32(v6.data() + hdr::Publics), 52);
  TLoadedImage loaded(v6);
  ASSERT_EQ(loaded.InitCode, kScriptOk);
  TCell result = 0;
  EXPECT_EQ(ScriptExec(loaded.Machine, &result, 0, {}), kScriptOk);
  EXPECT_EQ(result, 5);

  // Version 7 still needs its 56 bytes before the tables.
  auto v7 = Assemble(kSmall, {.Version = 7, .Compact = {}});
  ASSERT_EQ(ReadLe32(v7.data() + hdr::Publics), 56);
  WriteLe32(v7.data() + hdr::Publics, 52);
  EXPECT_EQ(InitWith(v7), kScriptErrFormat);
  auto v6as7 = v6;
  v6as7[hdr::FileVersion] = 7;
  EXPECT_EQ(InitWith(v6as7), kScriptErrFormat);
}

TEST(ScriptInit, LongestNameLimitIs31) {
  auto image = Assemble(kSmall);
  const std::int32_t names = ReadLe32(image.data() + hdr::NameTable);
  WriteLe16(image.data() + names, 31);
  EXPECT_EQ(InitWith(image), kScriptOk);
  WriteLe16(image.data() + names, 32);
  EXPECT_EQ(InitWith(image), kScriptErrFormat);
}

TEST(ScriptInit, StackTopZeroIsRejectedEvenWhenAllElseIsValid) {
  auto image = Assemble(kSmall);
  WriteLe32(image.data() + hdr::StackTop, 0);
  TScriptMachine machine;
  EXPECT_EQ(ScriptInit(machine, image.data(), image.size()), kScriptErrFormat);
  EXPECT_EQ(machine.Base, nullptr);
}

TEST(ScriptInit, RejectsLayoutsOutsideTheBlock) {
  const auto image = Assemble(kSmall);
  auto patched = [&](std::size_t field, std::int32_t value) {
    auto copy = image;
    WriteLe32(copy.data() + field, value);
    return copy;
  };
  const std::int32_t size = ReadLe32(image.data() + hdr::Size);
  EXPECT_EQ(InitWith(patched(hdr::Size, size + 100000)), kScriptErrFormat);
  EXPECT_EQ(InitWith(patched(hdr::Publics, -8)), kScriptErrFormat);
  EXPECT_EQ(InitWith(patched(hdr::Natives, 1 << 30)), kScriptErrFormat);
  EXPECT_EQ(InitWith(patched(hdr::Code, size + 4)), kScriptErrFormat);
  EXPECT_EQ(InitWith(patched(hdr::Data, 4)), kScriptErrFormat);
  EXPECT_EQ(InitWith(patched(hdr::Heap, 0x7FFFFFF0)), kScriptErrFormat);
  EXPECT_EQ(InitWith(patched(hdr::NameTable, size)), kScriptErrFormat);
  // A block shorter than the stack top it claims.
  TScriptMachine machine;
  auto copy = image;
  EXPECT_EQ(ScriptInit(machine, copy.data(), copy.size()), kScriptErrFormat);
  EXPECT_EQ(ScriptInit(machine, copy.data(), 20), kScriptErrFormat);
}

TEST(ScriptInit, SetsRegistersAndClearsTheLastCell) {
  auto image = Assemble(kSmall);
  const TScriptHeader h = ReadScriptHeader(image.data());
  image.resize(static_cast<std::size_t>(h.StackTop), 0xEE);
  TScriptMachine machine;
  ASSERT_EQ(ScriptInit(machine, image.data(), image.size()), kScriptOk);
  EXPECT_EQ(machine.HEA, h.Heap - h.Data);
  EXPECT_EQ(machine.HLW, h.Heap - h.Data);
  EXPECT_EQ(machine.STK, h.StackTop - h.Data - 4);
  EXPECT_EQ(machine.STP, h.StackTop - h.Data - 4);
  EXPECT_EQ(ReadLe32(image.data() + h.StackTop - 4), 0);
  EXPECT_EQ(machine.Flags & kScriptFlagInitialised, kScriptFlagInitialised);
  EXPECT_EQ(machine.Flags & kScriptFlagDebug, 0);
  EXPECT_EQ(machine.SysreqD, 135);
  EXPECT_EQ(ScriptInit(machine, image.data(), image.size()), kScriptErrInit);
}

TEST(ScriptInit, CaseTableWithoutCasesTakesTwoCells) {
  // If the pass skipped other than two cells after CASETBL 0 it would read
  // the following cells as opcodes; 300 is not one.
  auto image = Assemble(R"(
.public f f
.code
        halt 0
f:      proc
        switch table
table:  casetbl done
done:   const.pri 300
        retn
)");
  TLoadedImage loaded(image);
  ASSERT_EQ(loaded.InitCode, kScriptOk);
  EXPECT_TRUE(loaded.Machine.Flags & kScriptFlagInitialised);
  TCell result = 0;
  EXPECT_EQ(ScriptExec(loaded.Machine, &result, 0, {}), kScriptOk);
  EXPECT_EQ(result, 300);
}

std::vector<TCell> Expand(std::vector<std::uint8_t> stream, std::size_t cells) {
  std::vector<std::uint8_t> region(std::max(stream.size(), cells * 4), 0);
  std::copy(stream.begin(), stream.end(), region.begin());
  EXPECT_EQ(ScriptExpandCompact(region.data(), stream.size(), cells * 4), kScriptOk);
  std::vector<TCell> out;
  for (std::size_t i = 0; i < cells; ++i) out.push_back(ReadLe32(region.data() + 4 * i));
  return out;
}

TEST(ScriptCompact, DecodesTheSignBitOfTheFirstByte) {
  EXPECT_EQ(Expand({0x05}, 1), std::vector<TCell>{5});
  EXPECT_EQ(Expand({0x7F}, 1), std::vector<TCell>{-1});
  EXPECT_EQ(Expand({0x81, 0x00}, 1), std::vector<TCell>{128});
  EXPECT_EQ(Expand({0xFF, 0x7F}, 1), std::vector<TCell>{-1});
  EXPECT_EQ(Expand({0x80, 0x40}, 1), std::vector<TCell>{64});
  EXPECT_EQ(Expand({0x05, 0x7F, 0x81, 0x00, 0x80, 0x40}, 4), (std::vector<TCell>{5, -1, 128, 64}));
}

TEST(ScriptCompact, EncodingRoundTripsEveryWidth) {
  const std::vector<TCell> values = {0,  63, 64, -64, -65, 8191, 8192, -8193, 1 << 20, -(1 << 27),
                                     INT32_MAX, INT32_MIN, 0x9E3779B9u > 0 ? static_cast<TCell>(0x9E3779B9u) : 0};
  std::vector<std::uint8_t> stream;
  for (TCell v : values) AppendCompactCell(stream, v);
  EXPECT_EQ(Expand(stream, values.size()), values);
  std::vector<std::uint8_t> one;
  AppendCompactCell(one, 63);
  EXPECT_EQ(one.size(), 1u);
  one.clear();
  AppendCompactCell(one, 64);
  EXPECT_EQ(one, (std::vector<std::uint8_t>{0x80, 0x40}));
}

TEST(ScriptCompact, RefusesStreamsItCannotExpandInPlace) {
  // More cells than the output holds.
  std::vector<std::uint8_t> region = {1, 2, 3, 0, 0, 0, 0, 0};
  EXPECT_EQ(ScriptExpandCompact(region.data(), 3, 0), kScriptErrFormat);
  // 5-byte runs into a same-size output: every cell waits for its input,
  // more than 64 at once.
  std::vector<std::uint8_t> wide;
  for (int i = 0; i < 400; ++i) AppendCompactCell(wide, INT32_MIN + i);
  ASSERT_EQ(wide.size(), 2000u);
  std::vector<std::uint8_t> tight(wide);
  EXPECT_EQ(ScriptExpandCompact(tight.data(), tight.size(), 1600), kScriptErrFormat);
  EXPECT_EQ(tight, wide);  // refused before anything is written
  // Fewer waiting cells fit the queue.
  std::vector<std::uint8_t> fewer(wide.begin(), wide.begin() + 500);
  ASSERT_EQ(ScriptExpandCompact(fewer.data(), 500, 400), kScriptOk);
  EXPECT_EQ(ReadLe32(fewer.data() + 4 * 99), INT32_MIN + 99);
}

TEST(ScriptInit, CompactAndPlainImagesGiveTheSameCells) {
  const auto plain = Assemble(kSmall, {.Version = 7, .Compact = false});
  const auto compact = Assemble(kSmall, {.Version = 7, .Compact = true});
  EXPECT_LT(compact.size(), plain.size());
  TLoadedImage a(plain);
  TLoadedImage b(compact);
  ASSERT_EQ(a.InitCode, kScriptOk);
  ASSERT_EQ(b.InitCode, kScriptOk);
  const TScriptHeader h = ReadScriptHeader(a.Block.data());
  EXPECT_TRUE(std::equal(a.Block.begin() + h.Code, a.Block.begin() + h.Heap, b.Block.begin() + h.Code));
}

}  // namespace
}  // namespace halvane
