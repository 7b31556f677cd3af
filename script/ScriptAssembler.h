#pragma once
// Assembler of script images. Source: one statement a line, ';' starts a
// comment. Labels end with ':'; directives start with '.'; instructions use
// the machine's mnemonics without regard to case. See tools/script/README.md.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "script/TScriptMachine.h"

namespace halvane {

struct TAssembleOptions {
  std::optional<int> Version;   // 6 or 7; overrides .version
  std::optional<bool> Compact;  // overrides .compact
};

struct TAssembledScript {
  std::vector<std::uint8_t> Image;
  // Label values: code offsets for code labels, data addresses for data.
  std::map<std::string, TCell, std::less<>> Labels;
  std::string Error;  // "line N: ..." when assembly failed
};

bool AssembleScript(std::string_view source, const TAssembleOptions& options, TAssembledScript& out);

// The compact encoding of one cell: 1 to 5 bytes, most significant group
// first.
void AppendCompactCell(std::vector<std::uint8_t>& stream, TCell value);

}  // namespace halvane
