// Which names a page's host is looked up under, in which order: the
// authority tables list hosts as well as registrable domains.
#include <gtest/gtest.h>

#include "tables/TAuthorityTable.h"
#include "tables/TTrancoList.h"
#include "tests/tables/TableFiles.h"

namespace halvane::tables {
namespace {

using test::TTempDir;

TEST(TrancoList, LooksUpTheRegistrableDomainFirstThenTheHost) {
  TTempDir dir;
  const std::string path = dir / "tranco.csv";
  test::WriteFile(path, "5,example.co.uk\n7,blog.other.com\n9,127.0.0.2\n11,both.net\n12,www.both.net\n");
  const TTrancoList list = TTrancoList::Open(path, dir.Path());
  EXPECT_EQ(list.Lookup("www.blog.EXAMPLE.co.uk", "example.co.uk"), 5u);
  EXPECT_EQ(list.Lookup("blog.other.com", "other.com"), 7u);
  EXPECT_EQ(list.Lookup("127.0.0.2", ""), 9u);
  EXPECT_EQ(list.Lookup("www.both.net", "both.net"), 11u);
  EXPECT_EQ(list.Lookup("other.com", "other.com"), std::nullopt);
  EXPECT_EQ(list.Find("www.both.net"), 12u);
  // The public suffix list finds the registrable domain for the old call.
  EXPECT_EQ(list.FindForHost("www.blog.EXAMPLE.co.uk"), 5u);
  EXPECT_EQ(list.FindForHost("co.uk"), std::nullopt);
}

TEST(AuthorityTable, LooksUpTheHostThenItsRegistrableDomainThenWww) {
  TTempDir dir;
  const std::string path = dir / "authority.csv";
  test::WriteFile(path, "Rank,Domain,Open Page Rank\n1,www.facebook.com,10.00\n2,fonts.googleapis.com,8.70\n"
                        "3,googleapis.com,6.00\n4,example.co.uk,5.00\n5,www.example.co.uk,2.00\n6,127.0.0.2,9.00\n");
  const TAuthorityTable table = TAuthorityTable::Open(path, dir.Path());
  EXPECT_EQ(table.Lookup("fonts.googleapis.com", "googleapis.com"), 9);  // the host as written
  EXPECT_EQ(table.Lookup("storage.googleapis.com", "googleapis.com"), 6);  // its registrable domain
  EXPECT_EQ(table.Lookup("facebook.com", "facebook.com"), 10);  // www. and the registrable domain
  EXPECT_EQ(table.Lookup("M.Facebook.com", "facebook.com"), 10);
  EXPECT_EQ(table.Lookup("www.blog.example.co.uk", "example.co.uk"), 5);  // the domain before its www.
  EXPECT_EQ(table.Lookup("127.0.0.2", ""), 9);
  EXPECT_EQ(table.Lookup("127.0.0.3", ""), std::nullopt);
  EXPECT_EQ(table.Lookup("other.org", "other.org"), std::nullopt);
  EXPECT_EQ(table.FindForHost("m.facebook.com"), 10);
}

}  // namespace
}  // namespace halvane::tables
