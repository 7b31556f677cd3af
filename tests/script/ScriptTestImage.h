#pragma once
// Assembles small images and loads them for the machine tests.
#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "script/ScriptAssembler.h"
#include "script/ScriptImage.h"
#include "script/ScriptLoader.h"
#include "script/ScriptNatives.h"
#include "script/TScriptMachine.h"

namespace halvane::test {

inline std::vector<std::uint8_t> Assemble(std::string_view source, TAssembleOptions options = {}) {
  TAssembledScript script;
  EXPECT_TRUE(AssembleScript(source, options, script)) << script.Error;
  return script.Image;
}

// An image and the block and machine it is loaded into.
struct TLoadedImage {
  std::vector<std::uint8_t> Block;
  TScriptMachine Machine;
  int InitCode = -1;

  explicit TLoadedImage(std::vector<std::uint8_t> image, bool bindCore = true) : Block(std::move(image)) {
    if (Block.size() >= kScriptHeaderSize) {
      const std::int32_t top = ReadLe32(Block.data() + hdr::StackTop);
      if (top > 0 && static_cast<std::size_t>(top) > Block.size()) Block.resize(static_cast<std::size_t>(top), 0);
    }
    ScriptSetDebugHook(Machine, ScriptDebugDecline);
    InitCode = ScriptInit(Machine, Block.data(), Block.size());
    if (InitCode == 0 && bindCore) ScriptCoreInit(Machine);
  }
  TLoadedImage(const TLoadedImage&) = delete;
  TLoadedImage& operator=(const TLoadedImage&) = delete;
};

}  // namespace halvane::test
