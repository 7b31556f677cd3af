// The assembler's diagnostics, the disassembler and the tool's commands.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tools/script/ScriptCommands.h"
#include "script/ScriptDisassembler.h"
#include "tests/script/ScriptTestImage.h"

namespace halvane {
namespace {

std::string AssemblyError(std::string_view source) {
  TAssembledScript script;
  EXPECT_FALSE(AssembleScript(source, {}, script));
  return script.Error;
}

TEST(ScriptAssembler, ErrorsNameTheLine) {
  EXPECT_EQ(AssemblyError("halt 0\n  frobnicate 3\n"), "line 2: unknown instruction 'frobnicate'");
  EXPECT_EQ(AssemblyError("halt 0\njump nowhere\n"), "line 2: unknown label 'nowhere'");
  EXPECT_EQ(AssemblyError("a: halt 0\n\na: nop\n"), "line 3: label 'a' defined twice (first on line 1)");
  EXPECT_EQ(AssemblyError("nop 4\n"), "line 1: NOP takes no operand");
  EXPECT_EQ(AssemblyError("const.pri\n"), "line 1: CONST.PRI takes one operand");
  EXPECT_EQ(AssemblyError(".version 8\n"), "line 1: .version must be 6 or 7");
  EXPECT_EQ(AssemblyError("sysreq.c strlen\n"), "line 1: unknown native 'strlen'");
  EXPECT_EQ(AssemblyError(".data\nx: .cell 1\n.code\njump x\n"), "line 4: 'x' is not a code label");
  EXPECT_EQ(AssemblyError(".public f nolabel\n"), "line 1: public 'f' needs a code label");
  EXPECT_EQ(AssemblyError(".data\nnop\n"), "line 2: instruction outside the code section");
}

TEST(ScriptAssembler, MnemonicsIgnoreCaseAndOperandsTakeLabelsAndCharacters) {
  const auto a = test::Assemble("Halt 0\nCONST.pri 'A'\nconst.alt d+4\n.data\nd: .cell 1, 2\n");
  const auto b = test::Assemble("halt 0\nconst.pri 65\nconst.alt 4\n.data\n.cell 1, 2\n");
  EXPECT_EQ(a, b);
}

TEST(ScriptDisassembler, ListsHeaderTablesAndCode) {
  const auto image = test::Assemble(R"(
.native strlen
.public f f
.code
        halt 0
f:      proc
        sysreq.c strlen
        switch t
t:      casetbl f, 1, f
        file "x.p"
)",
                                    {.Version = 7, .Compact = true});
  const std::string listing = DisassembleScript(image);
  EXPECT_NE(listing.find("file version    7"), std::string::npos);
  EXPECT_NE(listing.find("(compact)"), std::string::npos);
  EXPECT_NE(listing.find("  0  8  f\n"), std::string::npos);
  EXPECT_NE(listing.find("  0  0  strlen\n"), std::string::npos);
  EXPECT_NE(listing.find("8:\tPROC\n"), std::string::npos);
  EXPECT_NE(listing.find("SYSREQ.C 0\n"), std::string::npos);
  EXPECT_NE(listing.find("CASETBL 8, 1, 8\n"), std::string::npos);
  EXPECT_NE(listing.find("FILE \"x.p\\x00\"\n"), std::string::npos);
  // Damaged images are listed as far as they can be read.
  auto cut = image;
  cut.resize(60);
  EXPECT_NO_THROW(DisassembleScript(cut));
  EXPECT_NO_THROW(DisassembleScript({1, 2, 3}));
  auto negative = image;
  WriteLe32(negative.data() + hdr::Publics, -8);
  WriteLe32(negative.data() + hdr::Natives, 16);
  EXPECT_NE(DisassembleScript(negative).find("publics (0)"), std::string::npos);
}

TEST(ScriptTool, AssemblesAndRunsWithIntegerAndTextArguments) {
  const auto dir = std::filesystem::temp_directory_path() / "halvane_script_tool_test";
  std::filesystem::create_directories(dir);
  const std::string source = (dir / "t.asm").string();
  const std::string image = (dir / "t.img").string();
  ASSERT_TRUE(WriteFileBytes(source, R"(
.native strlen
.public add add
.public len len
.code
        halt 0
add:    proc
        load.s.pri 12
        load.s.alt 16
        add
        retn
len:    proc
        push.s 12
        push.c 4
        sysreq.c strlen
        stack 8
        retn
)"));
  std::ostringstream out;
  std::ostringstream err;
  ASSERT_EQ(RunCoreCommand({"halvane-script", "asm", source, "-o", image, "--version", "6", "--compact"}, out, err), 0)
      << err.str();
  EXPECT_EQ(RunCoreCommand({"halvane-script", "exec", image, "add", "40", "-2"}, out, err), 0);
  EXPECT_EQ(RunCoreCommand({"halvane-script", "exec", image, "len", "\"hello\""}, out, err), 0);
  EXPECT_EQ(RunCoreCommand({"halvane-script", "exec", image, "add", "0x7FFFFFFF", "1"}, out, err), 0);
  EXPECT_EQ(out.str(), "rc=0 result=38\nrc=0 result=5\nrc=0 result=-2147483648\n");
  out.str("");
  EXPECT_EQ(RunCoreCommand({"halvane-script", "exec", image, "missing"}, out, err), 1);
  EXPECT_EQ(out.str(), "rc=19 result=0\n");
  EXPECT_EQ(RunCoreCommand({"halvane-script", "exec", image, "add", "x"}, out, err), 2);
  EXPECT_EQ(RunCoreCommand({"halvane-script", "frob"}, out, err), 2);
  ASSERT_TRUE(WriteFileBytes(source, "halt 0\nbogus\n"));
  err.str("");
  EXPECT_EQ(RunCoreCommand({"halvane-script", "asm", source, "-o", image}, out, err), 1);
  EXPECT_EQ(err.str(), source + ": line 2: unknown instruction 'bogus'\n");
  std::filesystem::remove_all(dir);
}

TEST(ScriptTool, RefusesWhatIsNotASmallRegularFile) {
  const auto dir = std::filesystem::temp_directory_path() / "halvane_script_tool_inputs";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::string big = (dir / "big.img").string();
  {
    std::ofstream file(big, std::ios::binary);
    file.seekp(static_cast<std::streamoff>(kMaxToolInput));
    file.put('\0');  // one byte over the limit, sparse
  }
  const std::string fifo = (dir / "fifo").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& input : {dir.string(), std::string("/dev/zero"), big, fifo}) {
    SCOPED_TRACE(input);
    for (const char* command : {"disasm", "exec", "asm"}) {
      std::ostringstream out;
      std::ostringstream err;
      std::vector<std::string> args{"halvane-script", command, input};
      if (std::string_view(command) == "exec") args.push_back("f");
      if (std::string_view(command) == "asm") args.insert(args.end(), {"-o", (dir / "out.img").string()});
      EXPECT_EQ(RunCoreCommand(args, out, err), 1);
      EXPECT_EQ(err.str().rfind("halvane-script: cannot read " + input + ": ", 0), 0u) << err.str();
    }
  }
  std::filesystem::remove_all(dir);
}

TEST(ScriptTool, EndsARunThatNeverHaltsAndSaysWhy) {
  const auto dir = std::filesystem::temp_directory_path() / "halvane_script_tool_spin";
  std::filesystem::create_directories(dir);
  const std::string image = (dir / "spin.img").string();
  const auto bytes = test::Assemble(".public spin spin\n.code\n        halt 0\nspin:   proc\nloop:   inc.pri\n        jump loop\n");
  ASSERT_TRUE(WriteFileBytes(image, std::string(bytes.begin(), bytes.end())));
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(RunCoreCommand({"halvane-script", "exec", "--max-instructions", "5000", image, "spin"}, out, err), 1);
  EXPECT_EQ(out.str(), "rc=12 result=0\n");
  EXPECT_NE(err.str().find("stopped after 5000 jumps, calls and returns"), std::string::npos) << err.str();
  err.str("");
  EXPECT_EQ(RunCoreCommand({"halvane-script", "exec", "--max-instructions", "0", image, "spin"}, out, err), 2);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace halvane
