#include "tables/TTableReader.h"

#include <charconv>
#include <limits>
#include <system_error>

#include "base/TextScan.h"
#include "tables/TableText.h"
#include "tables/TTableError.h"

namespace halvane::tables {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// Splits one CSV line (RFC 4180 quoting, no line breaks inside fields) into
// fields, unquoted and trimmed; count gets their number. False on a stray
// or unclosed quote.
bool SplitCsv(std::string_view line, std::vector<std::string>& fields, std::size_t& count) {
  count = 0;
  std::size_t at = 0;
  while (true) {
    if (fields.size() <= count) fields.emplace_back();
    std::string& field = fields[count++];
    field.clear();
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    if (at < line.size() && line[at] == '"') {
      ++at;
      while (true) {
        const std::size_t quote = line.find('"', at);
        if (quote == std::string_view::npos) return false;
        field.append(line.substr(at, quote - at));
        at = quote + 1;
        if (at < line.size() && line[at] == '"') {
          field.push_back('"');
          ++at;
          continue;
        }
        break;
      }
      while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
      if (at < line.size() && line[at] != ',') return false;
    } else {
      const std::size_t comma = line.find(',', at);
      const std::string_view raw = line.substr(at, comma == std::string_view::npos ? line.size() - at : comma - at);
      if (raw.find('"') != std::string_view::npos) return false;
      field.assign(TrimWhiteSpace(raw));
      at += raw.size();
    }
    if (at >= line.size()) return true;
    ++at;  // the comma
  }
}

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// A rank 1..2^32-1, digits only.
bool ParseRank(std::string_view text, std::uint32_t& rank) {
  if (!AllDigits(text) || text.size() > 10) return false;
  std::uint64_t value = 0;
  for (const char c : text) value = value * 10 + static_cast<unsigned>(c - '0');
  if (value == 0 || value > std::numeric_limits<std::uint32_t>::max()) return false;
  rank = static_cast<std::uint32_t>(value);
  return true;
}

// A figure "7", "4.37" or "4." rounded half up to 0..10, read as decimal
// text so that 4.5 is always 5. Numbers a table may hold that are no figure
// (negative, above 10, 1e308, NaN, inf) are unknown; text that is no number
// at all is broken.
enum class TFigure { Known, Unknown, Broken };

TFigure ParseFigure(std::string_view text, std::uint32_t& figure) {
  const std::size_t point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const std::string_view fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  if (AllDigits(whole) && (fraction.empty() || AllDigits(fraction))) {
    std::size_t lead = 0;
    while (lead + 1 < whole.size() && whole[lead] == '0') ++lead;
    if (whole.size() - lead > 2) return TFigure::Unknown;
    std::uint32_t value = 0;
    for (const char c : whole.substr(lead)) value = value * 10 + static_cast<unsigned>(c - '0');
    if (!fraction.empty() && fraction[0] >= '5') ++value;
    if (value > 10) return TFigure::Unknown;
    figure = value;
    return TFigure::Known;
  }
  // Signs, exponents, NaN and infinities: a number, but rarely a figure.
  std::string_view number = text;
  if (!number.empty() && (number[0] == '+' || number[0] == '-') && number.substr(1, 1) != "-") number.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (number.empty() || end != number.data() + number.size() || (error != std::errc() && error != std::errc::result_out_of_range)) {
    return TFigure::Broken;
  }
  if (error != std::errc() || text[0] == '-' || !(value >= 0 && value < 10.5)) return TFigure::Unknown;
  figure = static_cast<std::uint32_t>(value + 0.5);
  return TFigure::Known;
}

// Lower-cases a domain into out; false when it is empty, too long or holds
// blanks or control bytes. One trailing dot is dropped.
bool NormalDomain(std::string_view text, std::string& out) {
  if (!text.empty() && text.back() == '.') text.remove_suffix(1);
  if (text.empty() || text.size() > TEntryList::kMaxDomain) return false;
  out.resize(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c <= 0x20 || c == 0x7F || c == ',' || c == '"') return false;
    out[i] = LowerAscii(static_cast<char>(c));
  }
  return true;
}

std::string Shown(std::string_view line) {
  constexpr std::size_t kShown = 60;
  std::string out;
  for (const char c : line.substr(0, kShown)) {
    const auto u = static_cast<unsigned char>(c);
    out.push_back(u < 0x20 || u == 0x7F ? '?' : c);
  }
  if (line.size() > kShown) out += "...";
  return out;
}

}  // namespace

TTableReader::TTableReader(std::string name, TTableKind expected, std::uint64_t maxLines)
    : FName(std::move(name)),
      FExpected(expected),
      FMaxLines(maxLines > 0 ? maxLines : expected == TTableKind::Tranco ? kMaxTrancoLines : kMaxAuthorityLines) {}

TTableKind TTableReader::KindOfFirstLine(std::string_view line) {
  if (line.substr(0, kBom.size()) == kBom) line.remove_prefix(kBom.size());
  std::vector<std::string> fields;
  std::size_t count = 0;
  if (SplitCsv(line, fields, count) && count >= 1 && AllDigits(fields[0])) return TTableKind::Tranco;
  return TTableKind::Authority;
}

void TTableReader::Fail(const std::string& what) const {
  throw TTableError(FName + " line " + std::to_string(FLine) + ": " + what);
}

void TTableReader::Feed(std::string_view bytes) {
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    if (end == std::string_view::npos) {
      if (FPartial.size() + bytes.size() > kMaxLine) {
        ++FLine;
        Fail("line longer than " + std::to_string(kMaxLine) + " bytes");
      }
      FPartial.append(bytes);
      return;
    }
    if (FPartial.empty()) {
      Line(bytes.substr(0, end));
    } else {
      FPartial.append(bytes.substr(0, end));
      Line(FPartial);
      FPartial.clear();
    }
    bytes.remove_prefix(end + 1);
  }
}

void TTableReader::Finish() {
  // A last line without a line break is taken as it is: it still has to parse.
  if (!FPartial.empty()) {
    const std::string last = std::move(FPartial);
    FPartial.clear();
    Line(last);
  }
  if (FEntries.Size() == 0) {
    throw TTableError(FName + ": " + (FLine == 0 ? "empty file" : "no entries") + ", not " +
                      std::string(KindWithArticle(FExpected)));
  }
}

void TTableReader::Line(std::string_view line) {
  ++FLine;
  if (FLine > FMaxLines) {
    Fail("more than " + GroupThousands(FMaxLines) + " lines; " + std::string(KindWithArticle(FExpected)) +
         " has fewer (" + (FExpected == TTableKind::Tranco ? "a full list about 4.5 million" : "Open PageRank's 10 million") +
         "): is this file the table you meant?");
  }
  if (line.size() > kMaxLine) Fail("line longer than " + std::to_string(kMaxLine) + " bytes");
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (FLine == 1 && line.substr(0, kBom.size()) == kBom) line.remove_prefix(kBom.size());
  if (TrimWhiteSpace(line).empty()) return;
  if (FLayout != TLayout::Unknown) {
    Entry(line);
    return;
  }

  std::size_t count = 0;
  if (!SplitCsv(line, FUnquoted, count)) Fail("broken quotes in \"" + Shown(line) + "\"");
  const auto is = [&](std::initializer_list<std::string_view> names) {
    if (count != names.size()) return false;
    std::size_t i = 0;
    for (const std::string_view name : names) {
      if (!EqualsNoCase(FUnquoted[i++], name)) return false;
    }
    return true;
  };
  if (is({"Rank", "Domain", "Extension", "Open Page Rank", "Referring Domains"})) {
    FLayout = TLayout::OpenPageRank;
  } else if (is({"Rank", "Domain", "Open Page Rank"})) {
    FLayout = TLayout::OldOpenPageRank;
  } else if (is({"domain", "authority"})) {
    FLayout = TLayout::PlainAuthority;
  } else if (count >= 1 && AllDigits(FUnquoted[0])) {
    FLayout = TLayout::Tranco;
  } else {
    Fail("unknown header \"" + Shown(line) +
         "\"; expected Rank,Domain,Extension,Open Page Rank,Referring Domains or Rank,Domain,Open Page Rank "
         "(quoted or not) or domain,authority (an authority table), or rank,domain lines (a Tranco list)");
  }
  const TTableKind kind = FLayout == TLayout::Tranco ? TTableKind::Tranco : TTableKind::Authority;
  if (kind != FExpected) {
    throw TTableError(FName + " is " + std::string(KindWithArticle(kind)) + ", not " +
                      std::string(KindWithArticle(FExpected)));
  }
  if (FLayout == TLayout::Tranco) Entry(line);
}

void TTableReader::Entry(std::string_view line) {
  std::size_t count = 0;
  if (!SplitCsv(line, FUnquoted, count)) Fail("broken quotes in \"" + Shown(line) + "\"");
  std::string_view domainText;
  std::uint32_t value = 0;
  TFigure figure = TFigure::Known;
  switch (FLayout) {
    case TLayout::OpenPageRank:
    case TLayout::OldOpenPageRank: {
      const std::size_t fields = FLayout == TLayout::OpenPageRank ? 5 : 3;
      if (count != fields) {
        Fail("expected " + std::to_string(fields) + " fields, found " + std::to_string(count) + " in \"" + Shown(line) +
             "\"");
      }
      domainText = FUnquoted[1];
      const std::string& text = FUnquoted[FLayout == TLayout::OpenPageRank ? 3 : 2];
      figure = ParseFigure(text, value);
      if (figure == TFigure::Broken) Fail("Open Page Rank \"" + Shown(text) + "\" is no figure 0..10");
      break;
    }
    case TLayout::PlainAuthority:
      if (count != 2) Fail("expected domain,authority, found \"" + Shown(line) + "\"");
      domainText = FUnquoted[0];
      figure = ParseFigure(FUnquoted[1], value);
      if (figure == TFigure::Broken) Fail("authority \"" + Shown(FUnquoted[1]) + "\" is no figure 0..10");
      break;
    case TLayout::Tranco:
      if (count != 2) Fail("expected rank,domain, found \"" + Shown(line) + "\"");
      domainText = FUnquoted[1];
      if (!ParseRank(FUnquoted[0], value)) Fail("rank \"" + Shown(FUnquoted[0]) + "\" is no number 1..4294967295");
      break;
    case TLayout::Unknown:
      return;
  }
  if (!NormalDomain(domainText, FDomain)) Fail("bad domain \"" + Shown(domainText) + "\"");
  // A figure that is no figure leaves the domain unknown, as if not listed.
  if (figure == TFigure::Unknown) return;
  // One line repeated (a small zip can hold it millions of times) takes one
  // entry: the first for an authority table, the best rank for a list.
  if (FEntries.Size() > 0 && FEntries.Domain(FEntries.Last()) == FDomain) {
    if (FLayout == TLayout::Tranco && value < FEntries.Last().Value) FEntries.Last().Value = value;
    return;
  }
  if (FLine > std::numeric_limits<std::uint32_t>::max() || !FEntries.Add(FDomain, value, static_cast<std::uint32_t>(FLine))) {
    Fail("too many domains: an index holds at most " + std::to_string(TEntryList::kMaxEntries) + " (4 GiB of names)");
  }
}

}  // namespace halvane::tables
