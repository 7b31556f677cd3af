#pragma once
// What the page test knows of a page besides its bytes.
#include <string_view>

namespace halvane::pagetest {

struct TPageContext {
  // The user's domain as typed (an address is reduced to its host, see
  // UserDomainHost); empty: no link is looked for.
  std::string_view UserDomain;
  // The host of the page's final address (any case, IDN in either form);
  // empty when unknown: the page's canonical link then gives it, if any.
  std::string_view PageHost;
  // The registrable domain of PageHost ("example.co.uk" for
  // "www.blog.example.co.uk"); empty: PageHost itself.
  std::string_view PageSite;
  // The HTTP Content-Type header's value; empty for a saved page.
  std::string_view ContentType;
};

}  // namespace halvane::pagetest
