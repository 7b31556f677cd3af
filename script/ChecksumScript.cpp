#include "script/ChecksumScript.h"

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "script/EmbeddedScriptImage.h"
#include "script/ScriptCipher.h"
#include "script/ScriptErrors.h"
#include "script/ScriptHost.h"
#include "script/ScriptImage.h"
#include "script/ScriptInterpreter.h"
#include "script/ScriptLoader.h"
#include "script/ScriptNatives.h"
#include "script/TScriptMachine.h"

namespace halvane {
namespace {

// A loaded image never needs more; a larger stack top is a damaged image.
constexpr std::int32_t kMaxScriptMemory = 16 << 20;

struct TChecksumHost {
  std::mutex Lock;
  TScriptMachine Machine;
  std::vector<std::uint8_t> Block;  // empty while nothing is loaded
};

TChecksumHost& Host() {
  static TChecksumHost host;
  return host;
}

// Releases the allotments on every way out of a query.
class THeapRelease {
 public:
  THeapRelease(TScriptMachine& machine, TCell address) : Machine(machine), Address(address) {}
  ~THeapRelease() { ScriptRelease(Machine, Address); }
  THeapRelease(const THeapRelease&) = delete;
  THeapRelease& operator=(const THeapRelease&) = delete;

 private:
  TScriptMachine& Machine;
  TCell Address;
};

bool LoadLocked(TChecksumHost& host, std::string_view enciphered, std::string_view key) {
  host.Block.clear();
  host.Machine = TScriptMachine{};
  std::string plain;
  DecipherImage(enciphered, key, plain);
  if (plain.size() < kScriptHeaderSize) return false;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(plain.data());
  const TScriptHeader header = ReadScriptHeader(bytes);
  if (header.Magic != kScriptMagic) return false;
  if (header.Size < static_cast<std::int32_t>(kScriptHeaderSize) ||
      static_cast<std::size_t>(header.Size) > plain.size() || header.StackTop < header.Size ||
      header.StackTop > kMaxScriptMemory) {
    return false;
  }
  std::vector<std::uint8_t> block(static_cast<std::size_t>(header.StackTop), 0);
  std::copy(bytes, bytes + header.Size, block.begin());
  TScriptMachine machine;
  ScriptSetDebugHook(machine, ScriptDebugDecline);
  if (ScriptInit(machine, block.data(), block.size()) != kScriptOk) return false;
  if (ScriptCoreInit(machine) != kScriptOk) return false;
  // The vector's buffer does not move with the vector.
  host.Block = std::move(block);
  host.Machine = std::move(machine);
  return true;
}

}  // namespace

void LoadChecksumScript() {
  TChecksumHost& host = Host();
  std::lock_guard<std::mutex> guard(host.Lock);
  const std::string_view image(reinterpret_cast<const char*>(EncipheredScriptImage.data()),
                               EncipheredScriptImage.size());
  LoadLocked(host, image, ScriptImageKey);
}

bool LoadChecksumScriptImage(std::string_view enciphered, std::string_view key) {
  TChecksumHost& host = Host();
  std::lock_guard<std::mutex> guard(host.Lock);
  return LoadLocked(host, enciphered, key);
}

void ReleaseChecksumScript() {
  TChecksumHost& host = Host();
  std::lock_guard<std::mutex> guard(host.Lock);
  host.Block.clear();
  host.Block.shrink_to_fit();
  host.Machine = TScriptMachine{};
}

bool ChecksumScriptLoaded() {
  TChecksumHost& host = Host();
  std::lock_guard<std::mutex> guard(host.Lock);
  return !host.Block.empty();
}

std::uint32_t ComputeUrlHash(std::string_view text, bool oldVersion) {
  TChecksumHost& host = Host();
  std::lock_guard<std::mutex> guard(host.Lock);
  if (host.Block.empty()) return 0;
  TScriptMachine& m = host.Machine;
  int index = 0;
  if (ScriptFindPublic(m, "urlhash", index) != kScriptOk) return 0;
  if (text.size() >= static_cast<std::size_t>(INT32_MAX / 4)) return 0;
  TCell textAddress = 0;
  TCell flagAddress = 0;
  TScriptCells textCells;
  TScriptCells flagCells;
  if (ScriptAllot(m, static_cast<int>(text.size()) + 1, textAddress, textCells) != kScriptOk) return 0;
  THeapRelease releaseText(m, textAddress);
  if (ScriptAllot(m, 1, flagAddress, flagCells) != kScriptOk) return 0;
  THeapRelease releaseFlag(m, flagAddress);
  ScriptSetString(textCells, text, false);
  flagCells.Set(0, oldVersion ? 0 : 1);
  TCell result = 0;
  const TCell args[2] = {textAddress, flagAddress};
  ScriptExecArray(m, &result, index, 2, args);
  return static_cast<std::uint32_t>(result);
}

}  // namespace halvane
