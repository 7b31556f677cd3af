#pragma once
// The character set a page declares in its first bytes.
#include <string>
#include <string_view>

namespace halvane::pagetest {

// The charset named by a <meta charset=...> or a <meta http-equiv=...
// content="...; charset=..."> in the first 1024 bytes, lower-cased; empty
// when there is none (the caller then reads the page as UTF-8). A declared
// UTF-16 gives "utf-8", as in browsers.
std::string DeclaredCharset(std::string_view html);

}  // namespace halvane::pagetest
