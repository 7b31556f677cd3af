// The one form of an address, with RFC 3986's own examples of equivalent
// addresses and of reference resolution (section 5.4, fragments left out:
// the form drops them).
#include <gtest/gtest.h>

#include <utility>

#include "live/UrlForm.h"

namespace halvane::live {
namespace {

std::string Normal(std::string_view address) { return NormalAddress(address).value_or("(none)"); }

TEST(UrlForm, WritesEquivalentAddressesAlike) {
  // RFC 3986 6.2.3: four spellings of one resource.
  for (const char* same : {"http://example.com", "http://example.com/", "http://example.com:/", "http://example.com:80/"}) {
    EXPECT_EQ(Normal(same), "http://example.com/") << same;
  }
  const std::pair<const char*, const char*> cases[] = {
      {"HTTP://www.Example.COM/Path", "http://www.example.com/Path"},  // 6.2.2.1: the path keeps its case
      {"https://example.com:443/x#comments", "https://example.com/x"},
      {"https://example.com:8443/x", "https://example.com:8443/x"},
      {"http://example.com:0080/x", "http://example.com/x"},
      {"http://a/b/c/./../../g", "http://a/g"},                        // 5.2.4
      {"  http://example.com/a\n", "http://example.com/a"},
      {"http://0x7f000001/", "http://127.0.0.1/"},
      {"http://2130706435/admin", "http://127.0.0.3/admin"},
      {"http://[::FFFF:127.0.0.1]:80/", "http://[::ffff:127.0.0.1]/"},
      {"http://alice:pw@example.com/", "http://alice:pw@example.com/"},
  };
  for (const auto& [given, normal] : cases) EXPECT_EQ(Normal(given), normal) << given;
}

TEST(UrlForm, EscapesWhatAnAddressMayNotHoldAndKeepsEscapes) {
  const std::pair<const char*, const char*> cases[] = {
      {"http://example.com/caf\xC3\xA9/", "http://example.com/caf%C3%A9/"},
      {"http://example.com/caf%c3%a9/", "http://example.com/caf%C3%A9/"},  // 6.2.2.1: hex in upper case
      {"http://example.com/a b?q=x y&r=\"<>\"", "http://example.com/a%20b?q=x%20y&r=%22%3C%3E%22"},
      {"http://example.com/100%/%zz", "http://example.com/100%25/%25zz"},
      {"http://example.com/a%2Fb?x=%41", "http://example.com/a%2Fb?x=%41"},  // escapes are never undone
      {"http://example.com/\t\x7F|{}", "http://example.com/%09%7F%7C%7B%7D"},
  };
  for (const auto& [given, normal] : cases) EXPECT_EQ(Normal(given), normal) << given;
}

TEST(UrlForm, WritesInternationalHostsInTheirAsciiForm) {
  EXPECT_EQ(Normal("http://www.M\xC3\x9CNCHEN.de/Stra\xC3\x9F" "e"), "http://www.xn--mnchen-3ya.de/Stra%C3%9Fe");
  EXPECT_EQ(Normal("https://B\xC3\xBC" "cher.example:443/"), "https://xn--bcher-kva.example/");
  EXPECT_EQ(Normal("https://xn--bcher-kva.example/"), "https://xn--bcher-kva.example/");
  EXPECT_EQ(Normal("http://\xFF\xFE.example/"), "(none)");  // not UTF-8
}

TEST(UrlForm, RefusesWhatIsNotAnHttpAddress) {
  for (const char* bad : {"ftp://example.com/", "mailto:someone@example.com", "http:///x", "http://", "example.com/x",
                          "http://exa mple.com/", "http://example.com:8o/", "http://example.com:99999/", "",
                          "http://example.com:0/", "http://example.com:000/", "http://exa%41mple.com/", "http://a%cc.example/",
                          "javascript:alert(1)", "http://[::1/"}) {
    EXPECT_EQ(Normal(bad), "(none)") << bad;
  }
  EXPECT_EQ(Normal("http://example.com/" + std::string(kMaxAddressBytes, 'a')), "(none)");
}

TEST(UrlForm, TheFormIsItsOwnForm) {
  for (const char* given : {"HTTP://www.M\xC3\x9CNCHEN.de:80/a/../b c?%7e#x", "http://example.com/100%", "https://h/%2e%2E/x"}) {
    const std::string once = Normal(given);
    EXPECT_EQ(Normal(once), once) << given;
  }
}

TEST(UrlForm, ResolvesReferencesAsRfc3986Does) {
  const std::string base = "http://a/b/c/d;p?q";
  const std::pair<const char*, const char*> examples[] = {
      // 5.4.1 normal examples
      {"g", "http://a/b/c/g"}, {"./g", "http://a/b/c/g"}, {"g/", "http://a/b/c/g/"}, {"/g", "http://a/g"},
      {"//g", "http://g/"}, {"?y", "http://a/b/c/d;p?y"}, {"g?y", "http://a/b/c/g?y"}, {"#s", "http://a/b/c/d;p?q"},
      {"g#s", "http://a/b/c/g"}, {"g?y#s", "http://a/b/c/g?y"}, {";x", "http://a/b/c/;x"}, {"g;x", "http://a/b/c/g;x"},
      {"g;x?y#s", "http://a/b/c/g;x?y"}, {"", "http://a/b/c/d;p?q"}, {".", "http://a/b/c/"}, {"./", "http://a/b/c/"},
      {"..", "http://a/b/"}, {"../", "http://a/b/"}, {"../g", "http://a/b/g"}, {"../..", "http://a/"},
      {"../../", "http://a/"}, {"../../g", "http://a/g"},
      // 5.4.2 abnormal examples
      {"../../../g", "http://a/g"}, {"../../../../g", "http://a/g"}, {"/./g", "http://a/g"}, {"/../g", "http://a/g"},
      {"g.", "http://a/b/c/g."}, {".g", "http://a/b/c/.g"}, {"g..", "http://a/b/c/g.."}, {"..g", "http://a/b/c/..g"},
      {"./../g", "http://a/b/g"}, {"./g/.", "http://a/b/c/g/"}, {"g/./h", "http://a/b/c/g/h"},
      {"g/../h", "http://a/b/c/h"}, {"g;x=1/./y", "http://a/b/c/g;x=1/y"}, {"g;x=1/../y", "http://a/b/c/y"},
      {"g?y/./x", "http://a/b/c/g?y/./x"}, {"g?y/../x", "http://a/b/c/g?y/../x"}, {"g#s/./x", "http://a/b/c/g"},
      {"g#s/../x", "http://a/b/c/g"},
      // and what a Location header may hold besides
      {"g:h", "(none)"}, {"https://B\xC3\xBC" "cher.example/x y", "https://xn--bcher-kva.example/x%20y"},
      {"caf\xC3\xA9 au lait", "http://a/b/c/caf%C3%A9%20au%20lait"},
  };
  for (const auto& [reference, target] : examples) {
    EXPECT_EQ(ResolveAddress(base, reference).value_or("(none)"), target) << reference;
  }
  EXPECT_EQ(ResolveAddress("https://a/b", "//c/d").value_or("(none)"), "https://c/d");
  EXPECT_FALSE(ResolveAddress("not an address", "g"));
}

}  // namespace
}  // namespace halvane::live
