#include "markup/BoundHtml.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <vector>

namespace halvane::markup {
namespace {

char Lower(char c) noexcept { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool IsNameChar(char c) noexcept {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == ':';
}

// Elements that have no content and no end tag.
bool IsVoid(std::string_view name) noexcept {
  static constexpr std::array<std::string_view, 16> kVoid = {"area", "base", "br",    "col",  "embed", "hr",
                                                             "img",  "input", "link", "meta", "param", "source",
                                                             "track", "wbr",  "basefont", "frame"};
  return std::find(kVoid.begin(), kVoid.end(), name) != kVoid.end();
}

// Elements whose content is raw text up to their own end tag.
bool IsRawText(std::string_view name) noexcept {
  return name == "script" || name == "style" || name == "textarea" || name == "title";
}

// The end of the tag that starts at begin ('<'): one past its '>', with
// quoted attribute values skipped; npos when the document ends first.
std::size_t TagEnd(std::string_view html, std::size_t begin) noexcept {
  char quote = 0;
  for (std::size_t i = begin + 1; i < html.size(); ++i) {
    const char c = html[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      return i + 1;
    }
  }
  return std::string_view::npos;
}

// Case-insensitive search for "</name" from position from.
std::size_t FindEndTag(std::string_view html, std::size_t from, std::string_view name) noexcept {
  for (std::size_t at = html.find("</", from); at != std::string_view::npos; at = html.find("</", at + 2)) {
    if (at + 2 + name.size() > html.size()) return std::string_view::npos;
    bool same = true;
    for (std::size_t k = 0; k < name.size() && same; ++k) same = Lower(html[at + 2 + k]) == name[k];
    if (same && (at + 2 + name.size() == html.size() || !IsNameChar(html[at + 2 + name.size()]))) return at;
  }
  return std::string_view::npos;
}

bool IsOneOf(std::string_view name, std::initializer_list<std::string_view> names) noexcept {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// Inline elements a paragraph may hold open when a block starts.
bool IsInline(std::string_view name) noexcept {
  return IsOneOf(name, {"a", "b", "big", "code", "em", "font", "i", "s", "small", "span", "strike", "strong", "sub",
                        "sup", "tt", "u"});
}

bool EndsParagraph(std::string_view name) noexcept {
  return IsOneOf(name, {"address", "blockquote", "center", "div", "dl", "form", "h1", "h2", "h3", "h4", "h5", "h6",
                        "hr", "ol", "p", "pre", "table", "ul"});
}

// For a start tag that ends an open sibling without its end tag (<li>,
// <td>, <tr>, ...): the siblings it ends, and the elements that bound the
// search for them.
struct TImplicitEnd {
  std::initializer_list<std::string_view> Siblings;
  std::initializer_list<std::string_view> Bounds;
};

const TImplicitEnd* ImplicitEndOf(std::string_view name) noexcept {
  static const TImplicitEnd kListItem{{"li"}, {"ul", "ol", "table"}};
  static const TImplicitEnd kDefinition{{"dt", "dd"}, {"dl", "table"}};
  static const TImplicitEnd kCell{{"td", "th"}, {"tr", "table"}};
  static const TImplicitEnd kRow{{"tr"}, {"table"}};
  static const TImplicitEnd kSection{{"thead", "tbody", "tfoot"}, {"table"}};
  static const TImplicitEnd kOption{{"option"}, {"select", "table"}};
  if (name == "li") return &kListItem;
  if (name == "dt" || name == "dd") return &kDefinition;
  if (name == "td" || name == "th") return &kCell;
  if (name == "tr") return &kRow;
  if (name == "thead" || name == "tbody" || name == "tfoot") return &kSection;
  if (name == "option") return &kOption;
  return nullptr;
}

// No entity is longer ("&CounterClockwiseContourIntegral;" is 33 bytes).
constexpr std::size_t kMaxEntity = 40;

class TBounder {
 public:
  TBounder(std::string_view html, const THtmlLimits& limits) : FHtml(html), FLimits(limits) {
    FOut.reserve(std::min(html.size(), limits.MaxBytes) + kCutNotice.size() + 64);
  }

  std::string Run() {
    std::size_t at = 0;
    bool cut = false;
    while (at < FHtml.size()) {
      const std::size_t open = FHtml.find('<', at);
      const std::size_t textEnd = open == std::string_view::npos ? FHtml.size() : open;
      if (!Keep(FHtml.substr(at, textEnd - at))) {
        cut = true;
        break;
      }
      if (open == std::string_view::npos) break;
      const std::size_t next = Markup(open);
      if (next == std::string_view::npos) {
        cut = FCut;
        break;
      }
      at = next;
    }
    // Close what is still open, innermost first, so that a cut document is
    // well formed.
    while (!FOpen.empty()) CloseTop();
    if (cut || FCut) FOut.append(kCutNotice);
    return std::move(FOut);
  }

 private:
  // Appends text while it fits; false once the byte limit is reached.
  bool Keep(std::string_view text) {
    const std::size_t before = FOut.size();
    if (before >= FLimits.MaxBytes) {
      FCut = true;
      return text.empty();
    }
    // Blanks may be put in, so at most twice the room is taken, then cut.
    const std::size_t room = FLimits.MaxBytes - before;
    AppendText(text.substr(0, std::min(text.size(), room)));
    if (FOut.size() > FLimits.MaxBytes) FOut.resize(FLimits.MaxBytes);
    if (text.size() <= room && FOut.size() < FLimits.MaxBytes) return true;
    if (text.size() <= room && FOut.size() - before == text.size()) return true;
    FCut = true;
    return false;
  }

  // Text with a blank put into every run of more than MaxWord bytes without
  // one (never inside an entity or a UTF-8 sequence): the view breaks a line
  // inside one long word in time that grows with its square.
  void AppendText(std::string_view text) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char c = text[i];
      if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
        FWord = 0;
        FInEntity = false;
        continue;
      }
      if (c == '&') {
        FInEntity = true;
        FEntity = 0;
      } else if (FInEntity && ++FEntity > kMaxEntity) {
        FInEntity = false;
      }
      const bool sequenceGoesOn = (static_cast<unsigned char>(c) & 0xC0) == 0x80;
      if (FWord >= FLimits.MaxWord && !FInEntity && !sequenceGoesOn && !EndTagOpenBefore(text, start, i)) {
        FOut.append(text, start, i - start).push_back(' ');
        start = i;
        FWord = 0;
      }
      if (c == ';') FInEntity = false;
      ++FWord;
    }
    FOut.append(text, start);
  }

  // True inside raw text when the bytes before text[i] (the output, then
  // text[start, i)) are "</" and the element's name: a blank there would
  // end the element where the document did not.
  bool EndTagOpenBefore(std::string_view text, std::size_t start, std::size_t i) const {
    if (FRawName.empty()) return false;
    const std::size_t need = FRawName.size() + 2;
    const std::size_t fromText = std::min(need, i - start);
    const std::size_t fromOut = std::min(need - fromText, FOut.size());
    std::string tail = FOut.substr(FOut.size() - fromOut);
    tail.append(text.substr(i - fromText, fromText));
    if (tail.size() < need || tail[0] != '<' || tail[1] != '/') return false;
    for (std::size_t k = 0; k < FRawName.size(); ++k) {
      if (Lower(tail[2 + k]) != FRawName[k]) return false;
    }
    return true;
  }

  // Handles the markup at open ('<'); returns where to go on, or npos when
  // the document ends (or the limit is reached) inside it.
  std::size_t Markup(std::size_t open) {
    if (FHtml.compare(open, 4, "<!--") == 0) {
      const std::size_t end = FHtml.find("-->", open + 4);
      if (end == std::string_view::npos) return std::string_view::npos;  // an unfinished comment hides the rest
      return end + 3;                                                    // comments are dropped
    }
    const bool closing = open + 1 < FHtml.size() && FHtml[open + 1] == '/';
    const std::size_t nameStart = open + (closing ? 2 : 1);
    std::size_t nameEnd = nameStart;
    while (nameEnd < FHtml.size() && IsNameChar(FHtml[nameEnd])) ++nameEnd;
    if (nameEnd == nameStart) {
      if (nameStart < FHtml.size() && (FHtml[nameStart] == '!' || FHtml[nameStart] == '?')) {
        const std::size_t end = TagEnd(FHtml, open);
        return end;  // a declaration or processing instruction: dropped
      }
      // A '<' that opens no tag is text.
      return Keep("&lt;") ? open + 1 : std::string_view::npos;
    }
    const std::size_t end = TagEnd(FHtml, open);
    if (end == std::string_view::npos) return std::string_view::npos;
    std::string name(FHtml.substr(nameStart, std::min<std::size_t>(nameEnd - nameStart, 32)));
    std::transform(name.begin(), name.end(), name.begin(), Lower);
    const std::string_view tag = FHtml.substr(open, end - open);
    if (closing) {
      EndTag(name);
      return end;
    }
    const bool selfClosing = tag.size() >= 2 && tag[tag.size() - 2] == '/';
    const bool kept = StartTag(name, tag, selfClosing);
    if (FCut) return std::string_view::npos;
    if (IsRawText(name) && !selfClosing) {
      // The content goes as it is, up to the element's own end tag.
      const std::size_t close = FindEndTag(FHtml, end, name);
      const std::size_t contentEnd = close == std::string_view::npos ? FHtml.size() : close;
      if (kept) {
        FRawName = name;
        const bool whole = Keep(FHtml.substr(end, contentEnd - end));
        FRawName.clear();
        if (!whole) return std::string_view::npos;
      }
      return contentEnd;
    }
    return end;
  }

  // Ends what the start tag of name ends without an end tag of its own, with
  // explicit end tags, so that the view's nesting is never deeper than ours.
  void EndImplicitly(const std::string& name) {
    if (EndsParagraph(name)) {
      for (std::size_t i = FOpen.size(); i-- > 0;) {
        if (FOpen[i] == "p") {
          CloseDownTo(i);
          break;
        }
        if (!IsInline(FOpen[i])) break;
      }
    }
    const TImplicitEnd* rule = ImplicitEndOf(name);
    if (rule == nullptr) return;
    for (std::size_t i = FOpen.size(); i-- > 0;) {
      if (IsOneOf(FOpen[i], rule->Siblings)) {
        CloseDownTo(i);
        return;
      }
      if (IsOneOf(FOpen[i], rule->Bounds)) return;
    }
  }

  // Closes the open elements from the innermost one to the one at index.
  void CloseDownTo(std::size_t index) {
    while (FOpen.size() > index) CloseTop();
  }

  bool StartTag(const std::string& name, std::string_view tag, bool selfClosing) {
    if (FElements >= FLimits.MaxElements) return false;
    EndImplicitly(name);
    const bool isVoid = selfClosing || IsVoid(name);
    if (!isVoid) {
      if (FOpen.size() >= FLimits.MaxDepth) return false;
      if (name == "table" && FTables >= FLimits.MaxTableDepth) return false;
      if (IsOneOf(name, {"td", "th", "tr"}) && FCells >= FLimits.MaxTableCells) return false;
    }
    if (FOut.size() + tag.size() + ClosingBytes() + name.size() + 3 > FLimits.MaxBytes) {
      FCut = true;
      return false;
    }
    ++FElements;
    if (IsOneOf(name, {"td", "th", "tr"})) ++FCells;
    FOut.append(tag);
    if (!isVoid) {
      FOpen.push_back(name);
      if (name == "table") ++FTables;
    }
    return true;
  }

  void EndTag(const std::string& name) {
    const auto found = std::find(FOpen.rbegin(), FOpen.rend(), name);
    if (found == FOpen.rend()) return;  // closes nothing we kept
    // Elements left open inside it are closed with it, explicitly.
    const std::size_t index = static_cast<std::size_t>(FOpen.rend() - found) - 1;
    CloseDownTo(index + 1);
    // Written as "</name>": the room for it was kept when the element
    // started, and the end tag's own text may run on with anything.
    CloseTop();
  }

  void CloseTop() {
    FOut.append("</").append(FOpen.back()).append(">");
    if (FOpen.back() == "table") --FTables;
    FOpen.pop_back();
  }

  // Bytes needed to close every open element.
  std::size_t ClosingBytes() const {
    std::size_t bytes = 0;
    for (const std::string& name : FOpen) bytes += name.size() + 3;
    return bytes;
  }

  std::string_view FHtml;
  const THtmlLimits& FLimits;
  std::string FOut;
  std::vector<std::string> FOpen;
  std::size_t FTables = 0;
  std::size_t FCells = 0;
  std::size_t FElements = 0;
  std::size_t FWord = 0;  // bytes since the last blank in the text
  bool FInEntity = false;
  std::size_t FEntity = 0;  // bytes since the '&' of an entity
  bool FCut = false;
  std::string FRawName;  // the raw-text element whose content is being kept
};

}  // namespace

std::string BoundHtml(std::string_view html, const THtmlLimits& limits) { return TBounder(html, limits).Run(); }

}  // namespace halvane::markup
