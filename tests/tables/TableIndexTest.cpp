// Indexes against a plain reference on random tables of every layout, kept
// up to date with their table, and never trusted when damaged.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <thread>

#include "tools/sim/TTrancoDownload.h"
#include "tests/tables/TableFiles.h"
#include "tables/IndexFormat.h"
#include "tables/TAuthorityTable.h"
#include "tables/TTableError.h"
#include "tables/TTrancoList.h"
#include "tables/TableText.h"

namespace halvane::tables {
namespace {

using ::testing::HasSubstr;
using test::TTempDir;

enum class TLayout { OpenPageRank, Plain, TrancoCsv, TrancoZip };

struct TRandomTable {
  std::string Text;
  std::map<std::string, std::uint32_t> Reference;  // lower-cased domain -> value
  std::vector<std::string> Spellings;              // as written, case and all
};

std::string RandomDomain(std::mt19937& random) {
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-";
  static const char* const kTlds[] = {"com", "org", "co.uk", "de", "io", "xn--p1ai"};
  std::string name;
  const int parts = 1 + static_cast<int>(random() % 3);
  for (int p = 0; p < parts; ++p) {
    const std::size_t length = 1 + random() % (random() % 8 == 0 ? 40 : 6);
    for (std::size_t i = 0; i < length; ++i) name.push_back(kChars[random() % (sizeof kChars - 1)]);
    name.push_back('.');
  }
  // Names that agree in their first bytes meet in the same blocks and fences.
  if (random() % 4 == 0) name = "shared-prefix-" + name;
  return name + kTlds[random() % 6];
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

TRandomTable MakeTable(TLayout layout, std::size_t lines, unsigned seed) {
  std::mt19937 random(seed);
  TRandomTable table;
  const bool tranco = layout == TLayout::TrancoCsv || layout == TLayout::TrancoZip;
  if (layout == TLayout::OpenPageRank) {
    table.Text = "\"Rank\",\"Domain\",\"Extension\",\"Open Page Rank\",\"Referring Domains\"\n";
  } else if (layout == TLayout::Plain) {
    table.Text = "domain,authority\n";
  }
  for (std::size_t i = 0; i < lines; ++i) {
    // One line in eight repeats an earlier domain, in other letter case.
    std::string domain = !table.Spellings.empty() && random() % 8 == 0
                             ? table.Spellings[random() % table.Spellings.size()]
                             : RandomDomain(random);
    if (random() % 2) domain = Lower(domain);
    table.Spellings.push_back(domain);
    const std::uint32_t rank = static_cast<std::uint32_t>(1 + random() % 5000000);
    const std::uint32_t hundredths = static_cast<std::uint32_t>(random() % 1001);
    const std::uint32_t figure = (hundredths + 50) / 100;
    char figureText[16];
    std::snprintf(figureText, sizeof figureText, "%u.%02u", hundredths / 100, hundredths % 100);
    const std::uint32_t value = tranco ? rank : figure;
    const std::string key = Lower(domain);
    auto found = table.Reference.find(key);
    if (found == table.Reference.end()) {
      table.Reference.emplace(key, value);
    } else if (tranco && value < found->second) {
      found->second = value;  // the best rank; an authority keeps its first line
    }
    switch (layout) {
      case TLayout::OpenPageRank:
        table.Text += "\"" + std::to_string(i + 1) + "\",\"" + domain + "\",\"com\",\"" + figureText + "\",\"12\"\n";
        break;
      case TLayout::Plain:
        table.Text += domain + "," + std::to_string(figure) + "\n";
        break;
      case TLayout::TrancoCsv:
      case TLayout::TrancoZip:
        table.Text += std::to_string(rank) + "," + domain + "\r\n";
        break;
    }
  }
  if (layout == TLayout::TrancoZip) table.Text = sim::ZipOneFile("top-1m.csv", table.Text);
  return table;
}

class TableIndexOnRandomTables : public ::testing::TestWithParam<TLayout> {};

TEST_P(TableIndexOnRandomTables, FindsWhatTheReferenceHoldsAndNothingElse) {
  const TLayout layout = GetParam();
  const TTableKind kind = layout == TLayout::TrancoCsv || layout == TLayout::TrancoZip ? TTableKind::Tranco
                                                                                        : TTableKind::Authority;
  for (const unsigned seed : {1u, 2u, 3u}) {
    TTempDir dir;
    const TRandomTable table = MakeTable(layout, seed == 1 ? 30000 : 3000 * seed, seed);
    const std::string path = dir / (layout == TLayout::TrancoZip ? "top-1m.csv.zip" : "table.csv");
    test::WriteFile(path, table.Text);
    const TTableIndex index = TTableIndex::Open(path, dir / "cache", kind);
    EXPECT_EQ(index.BuildReason(), "no index yet");
    ASSERT_EQ(index.Count(), table.Reference.size());
    for (const auto& [domain, value] : table.Reference) {
      ASSERT_EQ(index.Find(domain), value) << domain;
    }
    for (const std::string& spelling : table.Spellings) {
      ASSERT_EQ(index.Find(spelling), table.Reference.at(Lower(spelling))) << spelling;
      ASSERT_EQ(index.Find(spelling + "."), table.Reference.at(Lower(spelling))) << spelling;
    }
    std::mt19937 random(seed + 100);
    for (int i = 0; i < 20000; ++i) {
      std::string probe = RandomDomain(random);
      if (i % 3 == 0) probe = table.Spellings[random() % table.Spellings.size()] + "x";
      if (i % 5 == 0) probe = table.Spellings[random() % table.Spellings.size()].substr(1);
      const auto found = table.Reference.find(Lower(probe));
      ASSERT_EQ(index.Find(probe), found == table.Reference.end() ? std::nullopt : std::optional(found->second))
          << probe;
    }
    EXPECT_EQ(index.Find(""), std::nullopt);
    EXPECT_EQ(index.Find("."), std::nullopt);
    EXPECT_EQ(index.Find(std::string(300, 'a')), std::nullopt);
    EXPECT_FALSE(index.Damaged());
  }
}

std::string LayoutName(const ::testing::TestParamInfo<TLayout>& info) {
  static const char* const kNames[] = {"OpenPageRank", "Plain", "TrancoCsv", "TrancoZip"};
  return kNames[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Layouts, TableIndexOnRandomTables,
                         ::testing::Values(TLayout::OpenPageRank, TLayout::Plain, TLayout::TrancoCsv,
                                           TLayout::TrancoZip),
                         LayoutName);

void SetMtime(const std::string& path, std::int64_t seconds) {
  const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST(TableIndex, IsBuiltOnceAndRebuiltWhenTheTableChanges) {
  TTempDir dir;
  const std::string path = dir / "tranco.csv";
  test::WriteFile(path, "1,a.com\n2,b.com\n");
  SetMtime(path, 1700000000);
  EXPECT_EQ(TTableIndex::Open(path, dir / "cache", TTableKind::Tranco).BuildReason(), "no index yet");
  const TTableIndex same = TTableIndex::Open(path, dir / "cache", TTableKind::Tranco);
  EXPECT_EQ(same.BuildReason(), "");
  EXPECT_EQ(same.Find("b.com"), 2u);

  // Same size, other time.
  test::WriteFile(path, "1,b.com\n2,a.com\n");
  SetMtime(path, 1700000000);
  EXPECT_EQ(TTableIndex::Open(path, dir / "cache", TTableKind::Tranco).Find("b.com"), 2u) << "time and size unchanged";
  SetMtime(path, 1700000001);
  const TTableIndex retimed = TTableIndex::Open(path, dir / "cache", TTableKind::Tranco);
  EXPECT_THAT(retimed.BuildReason(), HasSubstr("tranco.csv changed since it was indexed"));
  EXPECT_EQ(retimed.Find("b.com"), 1u);
  // The mapping already open keeps serving the index it mapped.
  EXPECT_EQ(same.Find("b.com"), 2u);

  // Other size, same time.
  test::WriteFile(path, "1,b.com\n2,a.com\n3,c.com\n");
  SetMtime(path, 1700000001);
  const TTableIndex resized = TTableIndex::Open(path, dir / "cache", TTableKind::Tranco);
  EXPECT_THAT(resized.BuildReason(), HasSubstr("changed since it was indexed"));
  EXPECT_EQ(resized.Find("c.com"), 3u);

  // One index file per table, whatever name leads to it.
  std::filesystem::create_symlink(path, dir / "link.csv");
  EXPECT_EQ(TTableIndex::Open(dir / "link.csv", dir / "cache", TTableKind::Tranco).BuildReason(), "");
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir / "cache")) ++files;
  EXPECT_EQ(files, 1u);
}

// Ways an index file gets damaged, each applied to a freshly built index.
struct TDamage {
  const char* name;
  void (*apply)(std::string& bytes);
  const char* reason;
};

const TDamage kDamages[] = {
    {"empty", [](std::string& b) { b.clear(); }, "shorter than its header"},
    {"half a header", [](std::string& b) { b.resize(30); }, "shorter than its header"},
    {"truncated", [](std::string& b) { b.resize(b.size() - 3); }, "size"},
    {"grown", [](std::string& b) { b += "xx"; }, "size"},
    {"magic", [](std::string& b) { b[0] = 'X'; }, "not an index file"},
    {"version", [](std::string& b) { b[8] = 7; }, "has version 7, not 2"},
    {"count", [](std::string& b) { b[32] ^= 1; }, "checksum mismatch"},
    {"block count", [](std::string& b) { b[40] ^= 1; }, "size"},
    {"fence keys size", [](std::string& b) { b[44] ^= 1; }, "is damaged"},
    {"source size in header", [](std::string& b) { b[16] ^= 1; }, "checksum mismatch"},
    {"path", [](std::string& b) { b[65] ^= 1; }, "checksum mismatch"},
    {"fence keys",
     [](std::string& b) {
       THeader h;
       std::memcpy(&h, b.data(), sizeof h);
       b[TIndexLayout(h).FenceKeysAt] ^= 1;
     },
     "checksum mismatch"},
    {"bad path length", [](std::string& b) { b[48] = 0x7F; b[49] = 0x7F; }, "bad path length"},
    {"block sums",
     [](std::string& b) {
       THeader h;
       std::memcpy(&h, b.data(), sizeof h);
       b[TIndexLayout(h).BlockSumsAt + 3] ^= 0x40;
     },
     "checksum mismatch"},
};

// Writes the sums of damaged blocks and the head's checksum over again, as
// if the index had been written so: only the checks inside a block see it.
void Reseal(std::string& bytes) {
  THeader header;
  std::memcpy(&header, bytes.data(), sizeof header);
  const TIndexLayout layout(header);
  for (std::uint32_t b = 0; b < header.Blocks; ++b) {
    const std::uint64_t sum =
        BlockChecksum(reinterpret_cast<const unsigned char*>(bytes.data() + layout.BlocksAt + b * kBlockSize));
    std::memcpy(bytes.data() + layout.BlockSumsAt + 8 * b, &sum, 8);
  }
  header.Checksum = IndexChecksum(bytes.data(), header);
  std::memcpy(bytes.data(), &header, sizeof header);
}

// A Tranco list of 2,000 domains (a dozen blocks) and its index's bytes.
std::string WriteListOfSites(const TTempDir& dir) {
  std::string text;
  for (int i = 1; i <= 2000; ++i) text += std::to_string(i) + ",site" + std::to_string(10000 + i) + ".com\n";
  test::WriteFile(dir / "tranco.csv", text);
  return dir / "tranco.csv";
}

// How many of the sites the index finds; fails on a wrong rank.
int FoundSites(const TTableIndex& index) {
  int found = 0;
  for (int i = 1; i <= 2000; ++i) {
    const auto rank = index.Find("site" + std::to_string(10000 + i) + ".com");
    if (rank) {
      EXPECT_EQ(*rank, static_cast<std::uint32_t>(i));
    }
    found += rank.has_value();
  }
  return found;
}

TEST(TableIndex, RebuildsADamagedIndexAndSaysWhy) {
  TTempDir dir;
  const std::string path = dir / "table.csv";
  test::WriteFile(path, "domain,authority\na.com,3\nb.org,7\n");
  const std::string indexPath = TTableIndex::Open(path, dir.Path(), TTableKind::Authority).IndexPath();
  const std::string good = test::ReadFile(indexPath);
  for (const TDamage& damage : kDamages) {
    std::string bytes = good;
    damage.apply(bytes);
    test::WriteFile(indexPath, bytes);
    const TTableIndex index = TTableIndex::Open(path, dir.Path(), TTableKind::Authority);
    EXPECT_THAT(index.BuildReason(), HasSubstr(damage.reason)) << damage.name;
    EXPECT_EQ(index.Find("a.com"), 3u) << damage.name;
    EXPECT_EQ(index.Find("b.org"), 7u) << damage.name;
    EXPECT_EQ(test::ReadFile(indexPath), good) << damage.name;
  }
}

TEST(TableIndex, RebuildsWhenOneByteOfAnyBlockChanged) {
  TTempDir dir;
  const std::string path = WriteListOfSites(dir);
  const std::string indexPath = TTableIndex::Open(path, dir.Path(), TTableKind::Tranco).IndexPath();
  const std::string good = test::ReadFile(indexPath);
  THeader header;
  std::memcpy(&header, good.data(), sizeof header);
  ASSERT_GT(header.Blocks, 8u);
  std::mt19937 random(7);
  for (std::uint32_t block = 0; block < header.Blocks; ++block) {
    // One byte anywhere in the block: a count, an offset, a name, a rank or padding.
    const std::size_t at = TIndexLayout(header).BlocksAt + block * kBlockSize + random() % kBlockSize;
    std::string bytes = good;
    bytes[at] = static_cast<char>(bytes[at] ^ (1 + random() % 255));
    test::WriteFile(indexPath, bytes);
    const TTableIndex index = TTableIndex::Open(path, dir.Path(), TTableKind::Tranco);
    EXPECT_EQ(index.BuildReason(), "") << "block " << block << ": blocks are checked as lookups read them";
    EXPECT_EQ(FoundSites(index), 2000) << "block " << block;
    EXPECT_TRUE(index.Damaged()) << "block " << block;
    EXPECT_FALSE(index.FiguresLeftOut()) << "block " << block;
    EXPECT_EQ(index.DamageReport(),
              "index " + indexPath + " was damaged (a block did not check); rebuilt it from " + path);
    EXPECT_EQ(test::ReadFile(indexPath), good) << "block " << block;
  }
  // Checking every block at opening finds it before any lookup.
  std::string bytes = good;
  bytes[TIndexLayout(header).BlocksAt + 5 * kBlockSize + 100] ^= 1;
  test::WriteFile(indexPath, bytes);
  const TTableIndex checked = TTableIndex::Open(path, dir.Path(), TTableKind::Tranco, TTableIndex::TCheck::AllBlocks);
  EXPECT_EQ(checked.BuildReason(), "index " + indexPath + " is damaged (block 5 does not check)");
  EXPECT_EQ(test::ReadFile(indexPath), good);
}

TEST(TableIndex, SaysWhenADamagedIndexCannotBeRebuiltAndRebuildsItOnTheNextRun) {
  TTempDir dir;
  const std::string path = WriteListOfSites(dir);
  const std::string text = test::ReadFile(path);
  const std::string indexPath = TTableIndex::Open(path, dir.Path(), TTableKind::Tranco).IndexPath();
  std::string bytes = test::ReadFile(indexPath);
  THeader header;
  std::memcpy(&header, bytes.data(), sizeof header);
  bytes[TIndexLayout(header).BlocksAt + 2 * kBlockSize + 9] ^= 4;
  test::WriteFile(indexPath, bytes);
  {
    const TTableIndex index = TTableIndex::Open(path, dir.Path(), TTableKind::Tranco);
    std::filesystem::remove(path);  // the table goes while the run looks domains up
    const int found = FoundSites(index);
    EXPECT_LT(found, 2000);
    EXPECT_GT(found, 1500) << "the blocks that check serve on";
    EXPECT_TRUE(index.FiguresLeftOut());
    EXPECT_THAT(index.DamageReport(), HasSubstr("index " + indexPath + " is damaged (a block does not check) and "
                                                "cannot be rebuilt: cannot read " + path));
    EXPECT_THAT(index.DamageReport(), HasSubstr("Run again to rebuild it once " + path + " can be read"));
    EXPECT_FALSE(std::filesystem::exists(indexPath)) << "not trusted by the next run";
  }
  test::WriteFile(path, text);
  const TTableIndex again = TTableIndex::Open(path, dir.Path(), TTableKind::Tranco);
  EXPECT_EQ(again.BuildReason(), "no index yet");
  EXPECT_EQ(FoundSites(again), 2000);
}

TEST(TableIndex, ChecksEveryOffsetALookupMeets) {
  TTempDir dir;
  const std::string path = WriteListOfSites(dir);
  const TTableIndex built = TTableIndex::Open(path, dir.Path(), TTableKind::Tranco);
  const std::string good = test::ReadFile(built.IndexPath());
  THeader header;
  std::memcpy(&header, good.data(), sizeof header);
  ASSERT_GT(header.Blocks, 3u);
  const std::size_t block = TIndexLayout(header).BlocksAt + kBlockSize;  // the second block
  // Sealed with matching sums, so that only the checks inside the block see it.
  std::uint16_t count = 0;
  std::uint16_t lastEntry = 0;
  std::memcpy(&count, good.data() + block, 2);
  std::memcpy(&lastEntry, good.data() + block + 2 * count, 2);
  const struct {
    const char* name;
    std::size_t at;
    std::uint16_t value;
  } damages[] = {
      // Its length byte is then a letter of the domain: the entry would end past the block.
      {"entry running past the block", block + 2 * count, static_cast<std::uint16_t>(lastEntry + 1)},
      {"count past the block", block, 3000},
      {"no entries", block, 0},
      {"offset past the block", block + 2 + 2 * 20, 0xFFFF},
      {"offset to the block's end", block + 2 + 2 * 20, kBlockSize - 3},
      {"offset to padding", block + 2 + 2 * 20, kBlockSize - 8},
  };
  for (const auto& damage : damages) {
    std::string bytes = good;
    std::memcpy(bytes.data() + damage.at, &damage.value, 2);
    Reseal(bytes);
    test::WriteFile(built.IndexPath(), bytes);
    const TTableIndex index = TTableIndex::Open(path, dir.Path(), TTableKind::Tranco);
    EXPECT_EQ(index.BuildReason(), "") << damage.name;
    EXPECT_EQ(FoundSites(index), 2000) << damage.name;
    EXPECT_TRUE(index.Damaged()) << damage.name;
    EXPECT_THAT(index.DamageReport(), HasSubstr("rebuilt it from")) << damage.name;
  }
}

TEST(TableIndex, ReplacesAFifoInTheIndexsPlaceAndRefusesAFifoAsTable) {
  TTempDir dir;
  const std::string path = dir / "tranco.csv";
  test::WriteFile(path, "1,a.com\n");
  const std::string indexPath = TTableIndex::Open(path, dir.Path(), TTableKind::Tranco).IndexPath();
  std::filesystem::remove(indexPath);
  ASSERT_EQ(mkfifo(indexPath.c_str(), 0600), 0);
  const TTableIndex index = TTableIndex::Open(path, dir.Path(), TTableKind::Tranco);
  EXPECT_EQ(index.BuildReason(), "cannot open index " + indexPath + ": not a regular file (a FIFO)");
  EXPECT_EQ(index.Find("a.com"), 1u);
  EXPECT_TRUE(std::filesystem::is_regular_file(indexPath));

  ASSERT_EQ(mkfifo((dir / "fifo.csv").c_str(), 0600), 0);
  try {
    (void)TTableIndex::Open(dir / "fifo.csv", dir.Path(), TTableKind::Tranco);
    ADD_FAILURE() << "indexed a FIFO";
  } catch (const TTableError& e) {
    EXPECT_EQ(std::string(e.what()), dir / "fifo.csv" + ": not a regular file (a FIFO)");
  }
}

TEST(TableIndex, RemovesWhatABuildThatWasKilledLeftBehind) {
  TTempDir dir;
  const std::string path = dir / "tranco.csv";
  test::WriteFile(path, "1,a.com\n");
  const std::string indexPath = TTableIndex::Open(path, dir.Path(), TTableKind::Tranco).IndexPath();
  const pid_t gone = fork();
  if (gone == 0) _exit(0);
  ASSERT_GT(gone, 0);
  waitpid(gone, nullptr, 0);
  const std::string abandoned = indexPath + ".tmp." + std::to_string(gone) + ".0";
  const std::string running = indexPath + ".tmp." + std::to_string(getpid()) + ".99";
  test::WriteFile(abandoned, "half an index");
  test::WriteFile(running, "being written");
  test::WriteFile(path, "1,a.com\n2,b.com\n");
  EXPECT_EQ(TTableIndex::Open(path, dir.Path(), TTableKind::Tranco).Find("b.com"), 2u);
  EXPECT_FALSE(std::filesystem::exists(abandoned));
  EXPECT_TRUE(std::filesystem::exists(running));
}

TEST(TableIndex, RefusesABrokenTableAndLeavesNoIndexBehind) {
  TTempDir dir;
  const std::string path = dir / "tranco.csv";
  test::WriteFile(path, "1,a.com\n2,b.com\nthree,c.com\n");
  try {
    (void)TTableIndex::Open(path, dir / "cache", TTableKind::Tranco);
    FAIL() << "a broken table was indexed";
  } catch (const TTableError& e) {
    EXPECT_EQ(std::string(e.what()), path + " line 3: rank \"three\" is no number 1..4294967295");
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir / "cache"));
  EXPECT_THROW((void)TTableIndex::Open(dir / "missing.csv", dir / "cache", TTableKind::Tranco), TTableError);
  // A table of the other kind is refused, not indexed as something else.
  test::WriteFile(path, "1,a.com\n");
  EXPECT_THROW((void)TAuthorityTable::Open(path, dir / "cache"), TTableError);
  // A cache folder that cannot be made.
  test::WriteFile(dir / "file", "x");
  try {
    (void)TTrancoList::Open(path, dir.Path() + "/file/cache");
    FAIL() << "indexed into a folder under a file";
  } catch (const TTableError& e) {
    EXPECT_THAT(e.what(), HasSubstr("cannot create " + (dir.Path() + "/file/cache")));
  }
}

TEST(TableIndex, ServesLookupsFromSeveralThreadsAtOnce) {
  TTempDir dir;
  const TRandomTable table = MakeTable(TLayout::TrancoCsv, 5000, 9);
  test::WriteFile(dir / "t.csv", table.Text);
  const TTrancoList list = TTrancoList::Open(dir / "t.csv", dir.Path());
  std::vector<std::thread> threads;
  std::atomic<int> wrong{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (const auto& [domain, rank] : table.Reference) {
        if (list.Find(domain) != rank) ++wrong;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong, 0);
}

TEST(TableText, GroupsThousandsWithCommas) {
  EXPECT_EQ(GroupThousands(0), "0");
  EXPECT_EQ(GroupThousands(999), "999");
  EXPECT_EQ(GroupThousands(1000), "1,000");
  EXPECT_EQ(GroupThousands(12345), "12,345");
  EXPECT_EQ(GroupThousands(123456), "123,456");
  EXPECT_EQ(GroupThousands(1234567), "1,234,567");
  EXPECT_EQ(GroupThousands(4294967295u), "4,294,967,295");
}

TEST(TableText, KeepsIndexesInTheUsersCacheFolder) {
  const char* savedXdg = std::getenv("XDG_CACHE_HOME");
  const char* savedHome = std::getenv("HOME");
  const std::string xdg = savedXdg ? savedXdg : "";
  const std::string home = savedHome ? savedHome : "";
  setenv("XDG_CACHE_HOME", "/x/cache", 1);
  setenv("HOME", "/home/u", 1);
  EXPECT_EQ(DefaultCacheDir(), "/x/cache/halvane");
  setenv("XDG_CACHE_HOME", "relative", 1);
  EXPECT_EQ(DefaultCacheDir(), "/home/u/.cache/halvane");
  unsetenv("XDG_CACHE_HOME");
  EXPECT_EQ(DefaultCacheDir(), "/home/u/.cache/halvane");
  if (savedXdg) setenv("XDG_CACHE_HOME", xdg.c_str(), 1);
  if (savedHome) setenv("HOME", home.c_str(), 1);
}

}  // namespace
}  // namespace halvane::tables
