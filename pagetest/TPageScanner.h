#pragma once
// Follows the parser's element events through one page and collects what
// the verdict needs, without keeping the document: the comment elements
// and the post's text are followed by the depth at which they opened.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "pagetest/TPageContext.h"
#include "pagetest/TPageVerdict.h"

namespace halvane::pagetest {

class TPageScanner {
public:
  TPageScanner(const TPageContext& context, std::size_t maxDepth);

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

  // The verdict so far, with CommentLinks, Qualifies and Reason filled in.
  TPageVerdict Verdict() const;

private:
  struct TAttributes;
  void FinishAnchor();
  void CheckAnchor(const TAttributes& attributes);
  void CheckCommentLink(const TAttributes& attributes, bool ownHost);
  void CheckForm(const TAttributes& attributes);
  void CheckWordPressSigns(std::string_view name, const TAttributes& attributes);
  void CheckWordPressAddress(std::string_view address);
  void TakeCanonical(const TAttributes& attributes);
  void SetPageHost(std::string host, std::string site);

  std::string FUserDomain;  // UserDomainHost's form; empty: no link looked for
  std::string FPageHost;
  std::string FPageSite;
  std::size_t FMaxDepth;
  std::size_t FDepth = 0;
  bool FTooDeep = false;
  bool FTooBroken = false;
  std::size_t FErrors = 0;
  std::size_t FErrorWork = 0;
  // Depths at which the outermost comment, the post's text and the comment
  // form opened; 0 outside of them.
  std::size_t FCommentDepth = 0;
  std::size_t FPostTextDepth = 0;
  std::size_t FCommentFormDepth = 0;
  // Depth of the user's link while its text is collected, 0 otherwise.
  std::size_t FAnchorDepth = 0;
  std::string FAnchorText;  // collapsed as it comes, at most kMaxAnchorBytes
  bool FAnchorBlank = false;
  // Hosts of /wp-content/ addresses seen before the page's host was known
  // (the canonical link comes after the stylesheets); a few are enough.
  std::vector<std::string> FPendingSignHosts;
  std::string FFirstNofollow;
  TPageVerdict FVerdict;
};

}  // namespace halvane::pagetest
