// Runs every assembly program in tests/data/script against the expectations
// written in its ";!" lines, once for each image form (file version 6 and 7,
// plain and compact). Expectations, in order, on one machine:
//   ;! natives RC                      result of binding the core natives (default 0)
//   ;! random-state N                  sets the generator's state
//   ;! run NAME [ARG ...] -> rc=R [result=V|result=untouched]
//   ;! run-index N -> ...              a run by public index (-1 the main entry)
//   ;! continue -> ...                 continues a suspended run (index -2)
//   ;! cell LABEL[+BYTES] = V          a data cell after the runs so far
//   ;! random-state-is N               the generator's state
// ARG is an integer or a text in double quotes (allotted on the heap). After
// every run that is not suspended, the machine's STK and HEA must be back at
// their values from before the run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "script/ScriptAssembler.h"
#include "script/ScriptErrors.h"
#include "script/ScriptHost.h"
#include "script/ScriptImage.h"
#include "script/ScriptInterpreter.h"
#include "script/ScriptLoader.h"
#include "script/ScriptNatives.h"

namespace halvane {
namespace {

constexpr TCell kUntouched = 0x5A5A5A5A;

std::vector<std::filesystem::path> Programs() {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(HALVANE_TEST_DATA "/script")) {
    if (entry.path().extension() == ".asm") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Splits at blanks, keeping double-quoted texts whole (with their quotes).
std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::string current;
  bool quoted = false;
  for (char c : line) {
    if (c == '"') quoted = !quoted;
    if (!quoted && (c == ' ' || c == '\t')) {
      if (!current.empty()) words.push_back(current);
      current.clear();
    } else {
      current.push_back(c);
    }
  }
  if (!current.empty()) words.push_back(current);
  return words;
}

TCell Number(const std::string& text) { return static_cast<TCell>(std::stoll(text, nullptr, 0)); }

class TProgramRun {
 public:
  TProgramRun(const std::string& name, const TAssembledScript& script) : Name(name), Script(script) {
    Block = script.Image;
    const TScriptHeader h = ReadScriptHeader(Block.data());
    Block.resize(static_cast<std::size_t>(h.StackTop), 0);
    ScriptSetDebugHook(Machine, ScriptDebugDecline);
    InitCode = ScriptInit(Machine, Block.data(), Block.size());
    NativesCode = ScriptCoreInit(Machine);
  }

  void Expect(int line, const std::string& text) {
    SCOPED_TRACE(Name + ":" + std::to_string(line) + ": " + text);
    std::vector<std::string> words = Words(text);
    ASSERT_FALSE(words.empty());
    const std::string verb = words[0];
    if (verb == "natives") {
      EXPECT_EQ(NativesCode, Number(words.at(1)));
      CheckedNatives = true;
      return;
    }
    if (!CheckedNatives) {
      ASSERT_EQ(InitCode, kScriptOk);
      ASSERT_EQ(NativesCode, kScriptOk);
      CheckedNatives = true;
    }
    if (verb == "random-state") {
      ScriptSetRandomState(static_cast<std::uint32_t>(std::stoull(words.at(1), nullptr, 0)));
    } else if (verb == "random-state-is") {
      EXPECT_EQ(ScriptRandomState(), static_cast<std::uint32_t>(std::stoull(words.at(1), nullptr, 0)));
    } else if (verb == "cell") {
      ASSERT_EQ(words.size(), 4u);
      std::string label = words[1];
      TCell offset = 0;
      if (auto plus = label.find('+'); plus != std::string::npos) {
        offset = Number(label.substr(plus + 1));
        label = label.substr(0, plus);
      }
      auto it = Script.Labels.find(label);
      ASSERT_NE(it, Script.Labels.end()) << label;
      TCell value = 0;
      ASSERT_TRUE(ScriptReadCell(Machine, it->second + offset, value));
      EXPECT_EQ(value, Number(words[3]));
    } else if (verb == "run" || verb == "run-index" || verb == "continue") {
      Run(verb, words);
    } else {
      FAIL() << "unknown expectation " << verb;
    }
  }

 private:
  void Run(const std::string& verb, const std::vector<std::string>& words) {
    auto arrow = std::find(words.begin(), words.end(), "->");
    ASSERT_NE(arrow, words.end());
    int index = kScriptExecCont;
    std::vector<TCell> args;
    if (verb == "run") {
      const int found = ScriptFindPublic(Machine, words.at(1), index);
      ASSERT_EQ(found, kScriptOk) << words.at(1);
    } else if (verb == "run-index") {
      index = Number(words.at(1));
    }
    for (auto it = words.begin() + (verb == "continue" ? 1 : 2); it != arrow; ++it) {
      if (it->front() == '"') {
        const std::string text = it->substr(1, it->size() - 2);
        TCell address = 0;
        TScriptCells cells;
        ASSERT_EQ(ScriptAllot(Machine, static_cast<int>(text.size()) + 1, address, cells), kScriptOk);
        ScriptSetString(cells, text, false);
        args.push_back(address);
      } else {
        args.push_back(Number(*it));
      }
    }
    if (verb != "continue") {
      HeaBefore = Machine.HEA;
      StkBefore = Machine.STK;
    }
    TCell result = kUntouched;
    const int rc = ScriptExecArray(Machine, &result, index, static_cast<int>(args.size()), args.data());
    for (auto it = arrow + 1; it != words.end(); ++it) {
      const std::size_t eq = it->find('=');
      ASSERT_NE(eq, std::string::npos);
      const std::string key = it->substr(0, eq);
      const std::string value = it->substr(eq + 1);
      if (key == "rc") {
        EXPECT_EQ(rc, Number(value));
      } else if (key == "result" && value == "untouched") {
        EXPECT_EQ(result, kUntouched);
      } else if (key == "result") {
        EXPECT_EQ(result, Number(value));
      } else {
        FAIL() << "unknown key " << key;
      }
    }
    if (rc != kScriptSleep) {
      EXPECT_EQ(Machine.HEA, HeaBefore) << "HEA after the run";
      EXPECT_EQ(Machine.STK, StkBefore) << "STK after the run";
    }
  }

  std::string Name;
  const TAssembledScript& Script;
  std::vector<std::uint8_t> Block;
  TScriptMachine Machine;
  int InitCode = 0;
  int NativesCode = 0;
  bool CheckedNatives = false;
  TCell HeaBefore = 0;
  TCell StkBefore = 0;
};

TEST(ScriptPrograms, RunAsExpectedInEveryImageForm) {
  const auto programs = Programs();
  ASSERT_FALSE(programs.empty());
  for (const auto& path : programs) {
    const std::string source = ReadText(path);
    for (int version : {6, 7}) {
      for (bool compact : {false, true}) {
        const std::string name = path.filename().string() + " (v" + std::to_string(version) +
                                 (compact ? ", compact)" : ")");
        SCOPED_TRACE(name);
        TAssembledScript script;
        TAssembleOptions options;
        options.Version = version;
        options.Compact = compact;
        ASSERT_TRUE(AssembleScript(source, options, script)) << script.Error;
        TProgramRun run(name, script);
        std::istringstream lines(source);
        std::string line;
        int number = 0;
        int expectations = 0;
        while (std::getline(lines, line)) {
          ++number;
          if (line.rfind(";!", 0) != 0) continue;
          ++expectations;
          run.Expect(number, line.substr(2));
        }
        EXPECT_GT(expectations, 0);
      }
    }
  }
}

}  // namespace
}  // namespace halvane
