#pragma once
// Which character set a page is read in, in the browsers' order: a
// byte-order mark, then the charset of the HTTP Content-Type header, then a
// <meta> declaration in the first 1024 bytes, then UTF-8. Only labels
// browsers know count.
#include <cstddef>
#include <string>
#include <string_view>

namespace halvane::pagetest {

enum class TCharsetSource { ByteOrderMark, ContentType, Meta, Default };

struct TPageCharset {
  std::string_view Encoding = "UTF-8";  // the Encoding Standard's name
  std::size_t BomBytes = 0;             // the mark's bytes, not part of the page
  TCharsetSource Source = TCharsetSource::Default;
};

// contentType: the header's value ("text/html; charset=ISO-8859-1"), empty
// when unknown (a saved page).
TPageCharset PageCharsetOf(std::string_view html, std::string_view contentType);

// The label of charset=... in a Content-Type value; empty when none.
std::string_view ContentTypeCharset(std::string_view contentType) noexcept;

// The charset label named by a <meta charset=...> or a <meta http-equiv=...
// content="...; charset=..."> in the first 1024 bytes, lower-cased; empty
// when there is none.
std::string DeclaredCharset(std::string_view html);

}  // namespace halvane::pagetest
