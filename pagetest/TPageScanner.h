#pragma once
// Follows the parser's element events through one page and collects what
// the verdict needs, without keeping the document.
#include <cstddef>
#include <string>
#include <string_view>

#include "pagetest/TPageVerdict.h"

namespace halvane::pagetest {

class TPageScanner {
public:
  TPageScanner(std::string_view userDomain, std::size_t maxDepth);

  // attributes: name, value, name, value, ..., nullptr (values may be null),
  // as libxml2's SAX interface hands them over; names are lower-case.
  // Returns false when the page nests deeper than maxDepth.
  bool StartElement(std::string_view name, const char* const* attributes);
  void EndElement();
  void Text(std::string_view text);
  // The parser met an error in the markup and recovered. Returns false when
  // the page is too broken to go on: the parser's recovery from a stray end
  // tag searches all open elements, so errors deep down cost the most.
  bool ParseError();

  // The verdict so far, with Qualifies and Reason filled in.
  TPageVerdict Verdict() const;

private:
  void FinishAnchor();
  void CheckAnchor(const char* const* attributes);
  void CheckForm(const char* const* attributes);
  void CheckField(const char* const* attributes);
  void CheckWordPressSigns(std::string_view name, const char* const* attributes);

  std::string FDomainLower;
  std::size_t FMaxDepth;
  std::size_t FDepth = 0;
  bool FTooDeep = false;
  bool FTooBroken = false;
  std::size_t FErrors = 0;
  std::size_t FErrorWork = 0;
  // Depth of the comment form we are in, 0 outside of one.
  std::size_t FCommentFormDepth = 0;
  // Depth of the user's link while its text is collected, 0 otherwise.
  std::size_t FAnchorDepth = 0;
  std::string FAnchorText;  // collapsed as it comes, at most kMaxAnchorBytes
  bool FAnchorBlank = false;
  std::string FNofollowLink;
  TPageVerdict FVerdict;
};

}  // namespace halvane::pagetest
