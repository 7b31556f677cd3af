// Longer than the project's usual file: the assembler's directives, operand
// forms and two passes read as one piece; splitting them would spread one
// grammar over several files.
#include "script/ScriptAssembler.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>

#include "script/ScriptImage.h"
#include "base/TextScan.h"
#include "script/ScriptOpcodes.h"

namespace halvane {
namespace {

constexpr std::int32_t kDefaultMemory = 4096;

enum class TSection { Code, Data };
enum class TItemKind { Instruction, Cells, String, Packed, Space };

struct TItem {
  int Line = 0;
  TItemKind Kind = TItemKind::Instruction;
  TSection Section = TSection::Code;
  const TOpcodeInfo* Op = nullptr;
  std::vector<std::string> Operands;
  std::string Text;  // string directives, FILE and SYMBOL
  std::int32_t Offset = 0;
};

struct TLabel {
  TSection Section;
  std::int32_t Offset;
};

class TAssembly {
 public:
  explicit TAssembly(const TAssembleOptions& options) : Options(options) {}

  bool Run(std::string_view source, TAssembledScript& out);

 private:
  bool Fail(int line, const std::string& message) {
    if (Error.empty()) Error = "line " + std::to_string(line) + ": " + message;
    return false;
  }
  bool ParseLine(int line, std::string_view text);
  bool Directive(int line, std::string_view word, std::string_view rest);
  bool Layout();
  bool Emit(std::vector<std::uint8_t>& code, std::vector<std::uint8_t>& data);
  bool Value(int line, const std::string& token, std::int32_t& value) const;
  bool NativeNumber(int line, const std::string& token, std::int32_t& value) const;
  std::vector<std::uint8_t> BuildImage(const std::vector<std::uint8_t>& code,
                                       const std::vector<std::uint8_t>& data);

  TAssembleOptions Options;
  std::string Error;
  TSection Section = TSection::Code;
  std::vector<TItem> Items;
  std::map<std::string, TLabel, std::less<>> Labels;
  std::map<std::string, int, std::less<>> LabelLines;
  std::vector<std::pair<std::string, std::string>> Publics;  // name, label
  std::vector<int> PublicLines;
  std::vector<std::string> Natives;
  std::string MainLabel;
  int MainLine = 0;
  int Version = 7;
  bool Compact = false;
  std::int64_t Memory = kDefaultMemory;
  std::int32_t CodeSize = 0;
  std::int32_t DataSize = 0;
};

bool IsIdentifier(std::string_view s) {
  if (s.empty() || std::isdigit(static_cast<unsigned char>(s[0]))) return false;
  return std::all_of(s.begin(), s.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == '@' || c == '$';
  });
}

// Strips a trailing comment, keeping ';' inside string and char literals.
std::string_view StripComment(std::string_view line) {
  char quote = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quote != 0) {
      if (c == '\\') {
        ++i;
      } else if (c == quote) {
        quote = 0;
      }
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';') {
      return line.substr(0, i);
    }
  }
  return line;
}

// Splits operands at commas and blanks outside quotes.
std::vector<std::string> SplitOperands(std::string_view text) {
  std::vector<std::string> parts;
  std::string current;
  char quote = 0;
  auto flush = [&]() {
    if (!current.empty()) parts.push_back(current);
    current.clear();
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quote != 0) {
      current.push_back(c);
      if (c == '\\' && i + 1 < text.size()) {
        current.push_back(text[++i]);
      } else if (c == quote) {
        quote = 0;
      }
    } else if (c == '"' || c == '\'') {
      quote = c;
      current.push_back(c);
    } else if (c == ',' || std::isspace(static_cast<unsigned char>(c))) {
      flush();
    } else {
      current.push_back(c);
    }
  }
  flush();
  return parts;
}

bool ParseQuoted(std::string_view token, char quote, std::string& out) {
  if (token.size() < 2 || token.front() != quote || token.back() != quote) return false;
  out.clear();
  for (std::size_t i = 1; i + 1 < token.size(); ++i) {
    char c = token[i];
    if (c != '\\') {
      out.push_back(c);
      continue;
    }
    if (i + 2 >= token.size()) return false;
    c = token[++i];
    switch (c) {
      case 'n': out.push_back('\n'); break;
      case 't': out.push_back('\t'); break;
      case 'r': out.push_back('\r'); break;
      case '0': out.push_back('\0'); break;
      case 'x': {
        if (i + 3 >= token.size()) return false;
        unsigned value = 0;
        auto [end, ec] = std::from_chars(token.data() + i + 1, token.data() + i + 3, value, 16);
        if (ec != std::errc() || end != token.data() + i + 3) return false;
        out.push_back(static_cast<char>(value));
        i += 2;
        break;
      }
      default: out.push_back(c); break;
    }
  }
  return true;
}

bool ParseInteger(std::string_view token, std::int64_t& value) {
  bool negative = false;
  if (!token.empty() && (token[0] == '-' || token[0] == '+')) {
    negative = token[0] == '-';
    token.remove_prefix(1);
  }
  int base = 10;
  if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) {
    base = 16;
    token.remove_prefix(2);
  }
  if (token.empty()) return false;
  std::uint64_t magnitude = 0;
  auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), magnitude, base);
  if (ec != std::errc() || end != token.data() + token.size() || magnitude > 0xFFFFFFFFull) return false;
  value = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
  return value >= -2147483648ll;
}

std::int32_t InstructionSize(const TItem& item) {
  switch (item.Op->Kind) {
    case TOperandKind::CaseTable:
      return static_cast<std::int32_t>(4 + 4 * item.Operands.size() + 4);
    case TOperandKind::Bytes:
      return static_cast<std::int32_t>(8 + (item.Text.size() + 3) / 4 * 4);
    default:
      return static_cast<std::int32_t>(4 + 4 * FixedOperandCells(item.Op->Kind));
  }
}

std::int32_t ItemSize(const TItem& item) {
  switch (item.Kind) {
    case TItemKind::Instruction: return InstructionSize(item);
    case TItemKind::Cells: return static_cast<std::int32_t>(4 * item.Operands.size());
    case TItemKind::String: return static_cast<std::int32_t>(4 * (item.Text.size() + 1));
    case TItemKind::Packed: return static_cast<std::int32_t>(4 * (item.Text.size() / 4 + 1));
    case TItemKind::Space: return static_cast<std::int32_t>(4 * std::stol(item.Operands[0]));
  }
  return 0;
}

void PutCell(std::vector<std::uint8_t>& out, std::int32_t value) {
  std::uint8_t bytes[4];
  WriteLe32(bytes, value);
  out.insert(out.end(), bytes, bytes + 4);
}

bool TAssembly::ParseLine(int line, std::string_view text) {
  text = TrimBlanks(StripComment(text));
  // Leading labels.
  while (!text.empty()) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) break;
    const std::string_view name = TrimBlanks(text.substr(0, colon));
    if (!IsIdentifier(name)) break;
    if (Labels.count(name) != 0) {
      return Fail(line, "label '" + std::string(name) + "' defined twice (first on line " +
                            std::to_string(LabelLines.find(name)->second) + ")");
    }
    Labels.emplace(std::string(name), TLabel{Section, -1});
    LabelLines.emplace(std::string(name), line);
    TItem marker;
    marker.Line = line;
    marker.Kind = TItemKind::Space;
    marker.Section = Section;
    marker.Operands = {"0"};
    marker.Text = std::string(name);  // a zero-size item carries the label
    Items.push_back(marker);
    text = TrimBlanks(text.substr(colon + 1));
  }
  if (text.empty()) return true;
  std::size_t split = 0;
  while (split < text.size() && !std::isspace(static_cast<unsigned char>(text[split]))) ++split;
  const std::string_view word = text.substr(0, split);
  const std::string_view rest = TrimBlanks(text.substr(split));
  if (word[0] == '.') return Directive(line, word, rest);

  const TOpcodeInfo* op = FindOpcode(word);
  if (op == nullptr) return Fail(line, "unknown instruction '" + std::string(word) + "'");
  TItem item;
  item.Line = line;
  item.Section = Section;
  item.Op = op;
  item.Operands = SplitOperands(rest);
  if (Section != TSection::Code) return Fail(line, "instruction outside the code section");
  const std::size_t given = item.Operands.size();
  switch (op->Kind) {
    case TOperandKind::None:
      if (given != 0) return Fail(line, std::string(op->Mnemonic) + " takes no operand");
      break;
    case TOperandKind::TwoCells:
      if (given != 2) return Fail(line, std::string(op->Mnemonic) + " takes two operands");
      break;
    case TOperandKind::CaseTable:
      if (given == 0 || given % 2 != 1) {
        return Fail(line, "CASETBL takes a default target and value, target pairs");
      }
      break;
    case TOperandKind::Bytes:
      if (given != 1 || !ParseQuoted(item.Operands[0], '"', item.Text)) {
        return Fail(line, std::string(op->Mnemonic) + " takes one string");
      }
      break;
    default:
      if (given != 1) return Fail(line, std::string(op->Mnemonic) + " takes one operand");
      break;
  }
  Items.push_back(std::move(item));
  return true;
}

bool TAssembly::Directive(int line, std::string_view word, std::string_view rest) {
  const std::string name = AsciiLowerCase(word);
  const std::vector<std::string> args = SplitOperands(rest);
  auto count = [&](std::size_t n) {
    return args.size() == n ? true : Fail(line, name + " takes " + std::to_string(n) + " operand(s)");
  };
  if (name == ".code") {
    Section = TSection::Code;
    return count(0);
  }
  if (name == ".data") {
    Section = TSection::Data;
    return count(0);
  }
  if (name == ".version") {
    if (!count(1)) return false;
    if (args[0] != "6" && args[0] != "7") return Fail(line, ".version must be 6 or 7");
    Version = args[0] == "6" ? 6 : 7;
    return true;
  }
  if (name == ".compact") {
    if (!count(1)) return false;
    const std::string v = AsciiLowerCase(args[0]);
    if (v != "on" && v != "off") return Fail(line, ".compact must be on or off");
    Compact = v == "on";
    return true;
  }
  if (name == ".memory") {
    std::int64_t bytes = 0;
    if (!count(1)) return false;
    if (!ParseInteger(args[0], bytes) || bytes < 4 || bytes % 4 != 0) {
      return Fail(line, ".memory needs a positive multiple of 4");
    }
    Memory = bytes;
    return true;
  }
  if (name == ".native") {
    if (!count(1)) return false;
    if (std::find(Natives.begin(), Natives.end(), args[0]) != Natives.end()) {
      return Fail(line, "native '" + args[0] + "' declared twice");
    }
    Natives.push_back(args[0]);
    return true;
  }
  if (name == ".public") {
    if (!count(2)) return false;
    for (const auto& p : Publics) {
      if (p.first == args[0]) return Fail(line, "public '" + args[0] + "' declared twice");
    }
    Publics.emplace_back(args[0], args[1]);
    PublicLines.push_back(line);
    return true;
  }
  if (name == ".main") {
    if (!count(1)) return false;
    MainLabel = args[0];
    MainLine = line;
    return true;
  }
  TItem item;
  item.Line = line;
  item.Section = Section;
  if (name == ".cell") {
    if (args.empty()) return Fail(line, ".cell needs at least one value");
    item.Kind = TItemKind::Cells;
    item.Operands = args;
  } else if (name == ".string" || name == ".packed") {
    if (args.size() != 1 || !ParseQuoted(args[0], '"', item.Text)) {
      return Fail(line, name + " takes one string in double quotes");
    }
    item.Kind = name == ".string" ? TItemKind::String : TItemKind::Packed;
  } else if (name == ".space") {
    std::int64_t cells = 0;
    if (!count(1)) return false;
    if (!ParseInteger(args[0], cells) || cells < 0 || cells > 1 << 24) {
      return Fail(line, ".space needs a cell count");
    }
    item.Kind = TItemKind::Space;
    item.Operands = {std::to_string(cells)};
  } else {
    return Fail(line, "unknown directive '" + std::string(word) + "'");
  }
  Items.push_back(std::move(item));
  return true;
}

bool TAssembly::Layout() {
  std::int64_t code = 0;
  std::int64_t data = 0;
  for (TItem& item : Items) {
    std::int64_t& offset = item.Section == TSection::Code ? code : data;
    item.Offset = static_cast<std::int32_t>(offset);
    if (item.Kind == TItemKind::Space && !item.Text.empty()) {
      Labels.find(item.Text)->second.Offset = item.Offset;
    }
    offset += ItemSize(item);
    if (offset > (1 << 26)) return Fail(item.Line, "image too large");
  }
  CodeSize = static_cast<std::int32_t>(code);
  DataSize = static_cast<std::int32_t>(data);
  return true;
}

bool TAssembly::Value(int line, const std::string& token, std::int32_t& value) const {
  std::int64_t number = 0;
  if (ParseInteger(token, number)) {
    value = static_cast<std::int32_t>(static_cast<std::uint32_t>(number));
    return true;
  }
  std::string chars;
  if (ParseQuoted(token, '\'', chars)) {
    if (chars.size() != 1) return const_cast<TAssembly*>(this)->Fail(line, "bad character " + token);
    value = static_cast<unsigned char>(chars[0]);
    return true;
  }
  // label, label+n or label-n
  std::size_t sign = token.find_first_of("+-", 1);
  const std::string name = token.substr(0, sign);
  std::int64_t adjust = 0;
  if (sign != std::string::npos && !ParseInteger(token.substr(sign), adjust)) {
    return const_cast<TAssembly*>(this)->Fail(line, "bad operand '" + token + "'");
  }
  auto it = Labels.find(name);
  if (it == Labels.end()) return const_cast<TAssembly*>(this)->Fail(line, "unknown label '" + name + "'");
  value = static_cast<std::int32_t>(static_cast<std::uint32_t>(it->second.Offset + adjust));
  return true;
}

bool TAssembly::NativeNumber(int line, const std::string& token, std::int32_t& value) const {
  auto it = std::find(Natives.begin(), Natives.end(), token);
  if (it != Natives.end()) {
    value = static_cast<std::int32_t>(it - Natives.begin());
    return true;
  }
  std::int64_t number = 0;
  if (ParseInteger(token, number)) {
    value = static_cast<std::int32_t>(number);
    return true;
  }
  return const_cast<TAssembly*>(this)->Fail(line, "unknown native '" + token + "'");
}

bool TAssembly::Emit(std::vector<std::uint8_t>& code, std::vector<std::uint8_t>& data) {
  for (const TItem& item : Items) {
    std::vector<std::uint8_t>& out = item.Section == TSection::Code ? code : data;
    std::int32_t v = 0;
    switch (item.Kind) {
      case TItemKind::Space:
        out.resize(out.size() + static_cast<std::size_t>(ItemSize(item)), 0);
        break;
      case TItemKind::Cells:
        for (const std::string& operand : item.Operands) {
          if (!Value(item.Line, operand, v)) return false;
          PutCell(out, v);
        }
        break;
      case TItemKind::String:
        for (char c : item.Text) PutCell(out, static_cast<signed char>(c));
        PutCell(out, 0);
        break;
      case TItemKind::Packed:
        for (std::size_t cell = 0; cell <= item.Text.size() / 4; ++cell) {
          std::uint32_t packed = 0;
          for (std::size_t k = 0; k < 4; ++k) {
            const std::size_t i = 4 * cell + k;
            const std::uint32_t byte = i < item.Text.size() ? static_cast<unsigned char>(item.Text[i]) : 0u;
            packed |= byte << (8 * (3 - k));
          }
          PutCell(out, static_cast<std::int32_t>(packed));
        }
        break;
      case TItemKind::Instruction: {
        PutCell(out, static_cast<std::int32_t>(item.Op->Number));
        if (item.Op->Kind == TOperandKind::Native) {
          if (!NativeNumber(item.Line, item.Operands[0], v)) return false;
          PutCell(out, v);
        } else if (item.Op->Kind == TOperandKind::Bytes) {
          const std::size_t padded = (item.Text.size() + 3) / 4 * 4;
          PutCell(out, static_cast<std::int32_t>(padded));
          out.insert(out.end(), item.Text.begin(), item.Text.end());
          out.resize(out.size() + padded - item.Text.size(), 0);
        } else if (item.Op->Kind == TOperandKind::CaseTable) {
          PutCell(out, static_cast<std::int32_t>(item.Operands.size() / 2));
          for (const std::string& operand : item.Operands) {
            if (!Value(item.Line, operand, v)) return false;
            PutCell(out, v);
          }
        } else {
          for (const std::string& operand : item.Operands) {
            if (!Value(item.Line, operand, v)) return false;
            if (item.Op->Kind == TOperandKind::Code) {
              auto label = Labels.find(operand);
              if (label != Labels.end() && label->second.Section != TSection::Code) {
                return Fail(item.Line, "'" + operand + "' is not a code label");
              }
            }
            PutCell(out, v);
          }
        }
        break;
      }
    }
  }
  return true;
}

std::vector<std::uint8_t> TAssembly::BuildImage(const std::vector<std::uint8_t>& code,
                                                const std::vector<std::uint8_t>& data) {
  const int record = Version == 6 ? kScriptRecordInline : kScriptRecordNamed;
  std::vector<std::pair<std::string, std::int32_t>> publics;
  for (const auto& p : Publics) publics.emplace_back(p.first, Labels.find(p.second)->second.Offset);
  std::sort(publics.begin(), publics.end());

  const std::size_t publicsOffset = ScriptHeaderSize(Version);
  const std::size_t nativesOffset = publicsOffset + record * publics.size();
  const std::size_t tablesEnd = nativesOffset + record * Natives.size();
  std::vector<std::uint8_t> image(tablesEnd, 0);
  std::vector<std::uint8_t> names;
  std::size_t longest = 0;
  const std::size_t nameTableOffset = tablesEnd;
  if (Version == 7) {
    names.resize(2, 0);
    for (const auto& p : publics) longest = std::max(longest, p.first.size());
    for (const auto& n : Natives) longest = std::max(longest, n.size());
    WriteLe16(names.data(), static_cast<std::uint16_t>(longest));
  }
  auto putRecord = [&](std::size_t at, std::int32_t value, const std::string& name) {
    WriteLe32(image.data() + at, value);
    if (Version == 6) {
      std::memcpy(image.data() + at + 4, name.data(), std::min(name.size(), kScriptInlineName - 1));
    } else {
      WriteLe32(image.data() + at + 4, static_cast<std::int32_t>(nameTableOffset + names.size()));
      names.insert(names.end(), name.begin(), name.end());
      names.push_back(0);
    }
  };
  for (std::size_t i = 0; i < publics.size(); ++i) putRecord(publicsOffset + record * i, publics[i].second, publics[i].first);
  for (std::size_t i = 0; i < Natives.size(); ++i) putRecord(nativesOffset + record * i, 0, Natives[i]);
  names.resize((names.size() + 3) / 4 * 4, 0);
  image.insert(image.end(), names.begin(), names.end());

  const std::size_t codeOffset = image.size();
  const std::size_t dataOffset = codeOffset + code.size();
  const std::size_t heapStart = dataOffset + data.size();
  const std::int64_t stackTop = static_cast<std::int64_t>(heapStart) + Memory;
  if (Compact) {
    std::vector<std::uint8_t> cells(code);
    cells.insert(cells.end(), data.begin(), data.end());
    std::vector<std::uint8_t> stream;
    for (std::size_t i = 0; i < cells.size(); i += 4) AppendCompactCell(stream, ReadLe32(cells.data() + i));
    image.insert(image.end(), stream.begin(), stream.end());
  } else {
    image.insert(image.end(), code.begin(), code.end());
    image.insert(image.end(), data.begin(), data.end());
  }
  std::uint8_t* h = image.data();
  WriteLe32(h + hdr::Size, static_cast<std::int32_t>(image.size()));
  WriteLe16(h + hdr::Magic, kScriptMagic);
  h[hdr::FileVersion] = static_cast<std::uint8_t>(Version);
  h[hdr::MachineVersion] = static_cast<std::uint8_t>(Version);
  WriteLe16(h + hdr::Flags, Compact ? kScriptFlagCompact : 0);
  WriteLe16(h + hdr::RecordSize, static_cast<std::uint16_t>(record));
  WriteLe32(h + hdr::Code, static_cast<std::int32_t>(codeOffset));
  WriteLe32(h + hdr::Data, static_cast<std::int32_t>(dataOffset));
  WriteLe32(h + hdr::Heap, static_cast<std::int32_t>(heapStart));
  WriteLe32(h + hdr::StackTop, static_cast<std::int32_t>(stackTop));
  WriteLe32(h + hdr::Main, MainLabel.empty() ? -1 : Labels.find(MainLabel)->second.Offset);
  WriteLe32(h + hdr::Publics, static_cast<std::int32_t>(publicsOffset));
  WriteLe32(h + hdr::Natives, static_cast<std::int32_t>(nativesOffset));
  WriteLe32(h + hdr::Libraries, static_cast<std::int32_t>(tablesEnd));
  WriteLe32(h + hdr::PubVars, static_cast<std::int32_t>(tablesEnd));
  WriteLe32(h + hdr::Tags, static_cast<std::int32_t>(tablesEnd));
  if (Version >= 7) WriteLe32(h + hdr::NameTable, static_cast<std::int32_t>(nameTableOffset));
  return image;
}

bool TAssembly::Run(std::string_view source, TAssembledScript& out) {
  int line = 0;
  while (!source.empty()) {
    ++line;
    const std::size_t end = source.find('\n');
    const std::string_view text = source.substr(0, end);
    source = end == std::string_view::npos ? std::string_view() : source.substr(end + 1);
    if (!ParseLine(line, text)) break;
  }
  if (Error.empty()) {
    if (Options.Version) Version = *Options.Version;
    if (Options.Compact) Compact = *Options.Compact;
    if (Version != 6 && Version != 7) Fail(line, "version must be 6 or 7");
  }
  if (Error.empty()) Layout();
  for (std::size_t i = 0; Error.empty() && i < Publics.size(); ++i) {
    auto it = Labels.find(Publics[i].second);
    if (it == Labels.end() || it->second.Section != TSection::Code) {
      Fail(PublicLines[i], "public '" + Publics[i].first + "' needs a code label");
    } else if (Version == 6 && Publics[i].first.size() >= kScriptInlineName) {
      Fail(PublicLines[i], "name longer than 19 characters in version 6");
    } else if (Publics[i].first.size() > kScriptMaxName) {
      Fail(PublicLines[i], "name longer than 31 characters");
    }
  }
  for (const std::string& native : Natives) {
    if (Error.empty() && native.size() > (Version == 6 ? kScriptInlineName - 1 : kScriptMaxName)) {
      Fail(line, "native name '" + native + "' too long");
    }
  }
  if (Error.empty() && !MainLabel.empty()) {
    auto it = Labels.find(MainLabel);
    if (it == Labels.end() || it->second.Section != TSection::Code) Fail(MainLine, ".main needs a code label");
  }
  std::vector<std::uint8_t> code;
  std::vector<std::uint8_t> data;
  if (Error.empty()) Emit(code, data);
  if (!Error.empty()) {
    out.Error = Error;
    return false;
  }
  out.Image = BuildImage(code, data);
  out.Labels.clear();
  for (const auto& [name, label] : Labels) out.Labels.emplace(name, label.Offset);
  out.Error.clear();
  return true;
}

}  // namespace

void AppendCompactCell(std::vector<std::uint8_t>& stream, TCell value) {
  const std::int64_t v = value;
  int groups = 1;
  // Fewest 7-bit groups whose sign extension gives the value back.
  while (groups < 5) {
    const int bits = 7 * groups;
    const std::int64_t low = v & ((std::int64_t{1} << bits) - 1);
    const std::int64_t extended = (low & (std::int64_t{1} << (bits - 1))) ? low - (std::int64_t{1} << bits) : low;
    if (extended == v) break;
    ++groups;
  }
  for (int g = groups - 1; g >= 0; --g) {
    std::uint8_t byte = static_cast<std::uint8_t>((v >> (7 * g)) & 0x7F);
    if (g != 0) byte |= 0x80;
    stream.push_back(byte);
  }
}

bool AssembleScript(std::string_view source, const TAssembleOptions& options, TAssembledScript& out) {
  TAssembly assembly(options);
  return assembly.Run(source, out);
}

}  // namespace halvane
