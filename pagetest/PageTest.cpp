#include "pagetest/PageTest.h"

#include <libxml/HTMLparser.h>
#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <climits>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>

#include "pagetest/CharsetLabels.h"
#include "pagetest/PageCharset.h"
#include "pagetest/PageText.h"
#include "pagetest/TagCost.h"
#include "pagetest/TPageScanner.h"

namespace halvane::pagetest {

namespace {

struct TRun {
  TPageScanner Scanner;
  htmlParserCtxtPtr Context = nullptr;
};

TRun& RunOf(void* context) {
  // userData is the parser context's; ours hangs on its _private.
  return *static_cast<TRun*>(static_cast<htmlParserCtxtPtr>(context)->_private);
}

void OnStartElement(void* context, const xmlChar* name, const xmlChar** attributes) {
  TRun& run = RunOf(context);
  if (!run.Scanner.StartElement(reinterpret_cast<const char*>(name),
                                reinterpret_cast<const char* const*>(attributes))) {
    xmlStopParser(run.Context);
  }
}

void OnEndElement(void* context, const xmlChar*) { RunOf(context).Scanner.EndElement(); }

void OnText(void* context, const xmlChar* text, int length) {
  if (length <= 0) return;
  RunOf(context).Scanner.Text(
      std::string_view(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length)));
}

// Errors in the markup are the normal case on the web; the parser recovers,
// up to the scanner's budget.
void OnError(void* context, xmlErrorPtr) {
  TRun& run = RunOf(context);
  if (!run.Scanner.ParseError()) xmlStopParser(run.Context);
}

xmlSAXHandler Handler() {
  xmlSAXHandler handler;
  std::memset(&handler, 0, sizeof handler);
  handler.initialized = XML_SAX2_MAGIC;  // so that the structured error hook is used
  handler.startElement = OnStartElement;
  handler.endElement = OnEndElement;
  handler.characters = OnText;
  handler.ignorableWhitespace = OnText;
  handler.cdataBlock = OnText;
  handler.serror = OnError;
  return handler;
}

struct TContextFree {
  void operator()(htmlParserCtxtPtr context) const { htmlFreeParserCtxt(context); }
};

// The converter of the page's charset; UTF-8 when the machine has none.
xmlCharEncodingHandlerPtr EncodingFor(std::string_view encoding) {
  const std::string name(ConverterName(encoding));
  xmlCharEncodingHandlerPtr handler = nullptr;
  if (!name.empty()) handler = xmlFindCharEncodingHandler(name.c_str());
  if (handler == nullptr) handler = xmlFindCharEncodingHandler("UTF-8");
  return handler;
}

}  // namespace

TPageVerdict TestPage(std::string_view html, const TPageContext& pageContext) {
  static std::once_flag initialised;
  std::call_once(initialised, [] { xmlInitParser(); });

  const bool truncated = html.size() > kMaxPageBytes;
  if (truncated) html = html.substr(0, kMaxPageBytes);
  static_assert(kMaxPageBytes * 3 / 2 <= INT_MAX);

  // A UTF-16 page is made UTF-8 first, so that the look over its tags and
  // the parser see what they read best; other charsets go to the parser.
  const TPageCharset charset = PageCharsetOf(html, pageContext.ContentType);
  html.remove_prefix(charset.BomBytes);
  std::string_view encoding = charset.Encoding;
  std::string fromUtf16;
  if (encoding == "UTF-16LE" || encoding == "UTF-16BE") {
    fromUtf16 = Utf16ToUtf8(html, encoding == "UTF-16BE");
    html = fromUtf16;
    encoding = "UTF-8";
  }

  // The parser takes a NUL for the end of the page; like a browser, the
  // test reads past it (copying the page only when it holds one).
  std::string withoutNul;
  if (std::memchr(html.data(), 0, html.size()) != nullptr) {
    withoutNul.reserve(html.size());
    for (const char c : html) {
      if (c != '\0') withoutNul.push_back(c);
    }
    html = withoutNul;
  }

  if (HasCrowdedTags(html)) {
    TPageVerdict verdict;
    verdict.Rejection = TRejection::CannotJudge;
    verdict.Reason = "tags with thousands of attributes: too costly to judge";
    verdict.Truncated = truncated;
    return verdict;
  }

  TRun run{TPageScanner(pageContext, kMaxElementDepth)};
  // An empty buffer gives no context; the scanner's empty verdict stands.
  const char* bytes = html.empty() ? " " : html.data();
  const int size = html.empty() ? 1 : static_cast<int>(html.size());
  std::unique_ptr<htmlParserCtxt, TContextFree> context(htmlCreateMemoryParserCtxt(bytes, size));
  if (!context) throw std::bad_alloc();
  run.Context = context.get();
  const xmlSAXHandler handler = Handler();
  std::memcpy(context->sax, &handler, sizeof handler);
  context->userData = context.get();
  context->_private = &run;
  // No network, no messages, recovery on; XML_PARSE_HUGE stays off, so the
  // parser's own limits on names and text hold. The charset is ours to pick:
  // the one PageCharsetOf chose, never a switch halfway through the page.
  htmlCtxtUseOptions(context.get(), HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                        HTML_PARSE_RECOVER | HTML_PARSE_IGNORE_ENC);
  if (xmlCharEncodingHandlerPtr handler = EncodingFor(encoding)) {
    xmlSwitchToEncoding(context.get(), handler);
  }
  htmlParseDocument(context.get());

  TPageVerdict verdict = run.Scanner.Verdict();
  verdict.Truncated = truncated;
  return verdict;
}

TPageVerdict TestModernPage(std::string_view html, std::string_view userDomain) {
  TPageContext context;
  context.UserDomain = userDomain;
  return TestPage(html, context);
}

std::string_view CommentsCell(const TPageVerdict& verdict) noexcept {
  return verdict.CommentsOpen ? "Open" : "Closed";
}

std::string_view YourLinkCell(const TPageVerdict& verdict) noexcept {
  return verdict.HasYourLink ? "Yes" : "No";
}

std::string_view CommentLinksCell(const TPageVerdict& verdict) noexcept {
  switch (verdict.CommentLinks) {
    case TCommentLinks::Followed: return "Followed";
    case TCommentLinks::Mixed: return "Mixed";
    case TCommentLinks::Nofollow: return "nofollow";
    case TCommentLinks::NoneYet: break;
  }
  return "None yet";
}

}  // namespace halvane::pagetest
