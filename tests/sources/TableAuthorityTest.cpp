// The Authority column from an offline table: asked by host, so that the
// hosts a table lists ("www.facebook.com", a blog's own subdomain) are found.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#include "sources/TTableAuthority.h"

namespace halvane::sources {

using liverun::TAuthorityAnswer;
namespace {

TEST(TableAuthority, AsksByHostAndFindsHostThenDomainThenWww) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("halvane-table-authority-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::string table = (folder / "opr.csv").string();
  std::ofstream(table) << "\"Rank\",\"Domain\",\"Open Page Rank\"\n"
                          "\"1\",\"www.facebook.com\",\"10.00\"\n"
                          "\"2\",\"blog.example.com\",\"3.00\"\n"
                          "\"3\",\"example.com\",\"6.00\"\n";
  TTableAuthority authority(tables::TAuthorityTable::Open(table, (folder / "cache").string()));
  const std::vector<std::string> names = {authority.NameOf("https://blog.example.com/post/"),
                                          authority.NameOf("https://shop.example.com/"),
                                          authority.NameOf("https://facebook.com/page"),
                                          authority.NameOf("https://nowhere.example.net/")};
  EXPECT_EQ(names[0], "blog.example.com");
  TAuthorityAnswer answer;
  authority.Lookup(names, [&answer](TAuthorityAnswer given) { answer = std::move(given); });
  EXPECT_EQ(answer.Figures, (std::map<std::string, std::optional<int>>{{"blog.example.com", 3},
                                                                      {"shop.example.com", 6},
                                                                      {"facebook.com", 10},
                                                                      {"nowhere.example.net", std::nullopt}}));
  EXPECT_TRUE(answer.Error.empty());
  EXPECT_TRUE(answer.Note.empty());
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace halvane::sources
