// The registry's promises: each name once, every entry and key read back as
// written, a required key refused when missing, the classic entry first.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "sources/TSourceRegistry.h"
#include "sources/TSourcesFile.h"

namespace halvane::sources {
namespace {

// Every registered key, whatever its entry.
std::vector<TSourceKey> AllKeys() {
  std::vector<TSourceKey> keys;
  const auto add = [&keys](const auto& entries) {
    for (const auto& entry : entries) keys.insert(keys.end(), entry.Keys.begin(), entry.Keys.end());
  };
  add(TSourceRegistry::Engines());
  add(TSourceRegistry::Authorities());
  add(TSourceRegistry::Rankings());
  return keys;
}

// A value the key's kind accepts and writes back unchanged.
std::string SampleValue(const TSourceKey& key) {
  switch (key.Kind) {
    case TSourceKey::TKind::Address:
    case TSourceKey::TKind::OptionalAddress:
      return std::string("https://") + key.Name + ".example.org/api";
    case TSourceKey::TKind::Token: return std::string("token-") + key.Name;
    case TSourceKey::TKind::File:
    case TSourceKey::TKind::OptionalFile:
      return std::string("/data/") + key.Name + ".csv";
  }
  return {};
}

TSources WithEveryKeyFilled() {
  TSources s = TSourcesFile::Defaults();
  for (const TSourceKey& key : AllKeys()) s.*key.Field = SampleValue(key);
  return s;
}

template <typename TEntry>
void ExpectUniqueNames(const std::vector<TEntry>& entries) {
  std::set<std::string> files;
  std::set<std::string> shown;
  std::set<int> ids;
  for (const TEntry& entry : entries) {
    EXPECT_TRUE(files.insert(entry.FileName).second) << entry.FileName;
    EXPECT_TRUE(shown.insert(entry.DialogName).second) << entry.DialogName;
    EXPECT_TRUE(ids.insert(static_cast<int>(entry.Id)).second) << entry.FileName;
  }
  EXPECT_STREQ(entries.front().FileName, "classic");
}

TEST(SourceRegistry, NamesAreUniqueAndClassicComesFirst) {
  ExpectUniqueNames(TSourceRegistry::Engines());
  ExpectUniqueNames(TSourceRegistry::Authorities());
  ExpectUniqueNames(TSourceRegistry::Rankings());
  std::set<std::string> keys;
  std::set<std::string> controls;
  const std::vector<TSourceKey> all = AllKeys();
  for (std::size_t i = 0; i < all.size(); ++i) {
    EXPECT_TRUE(keys.insert(std::string(all[i].Section) + "." + all[i].Name).second) << all[i].Name;
    EXPECT_TRUE(controls.insert(all[i].Control).second) << all[i].Control;
    // Member pointers have no order: each pair compared.
    for (std::size_t j = 0; j < i; ++j) EXPECT_NE(all[i].Field, all[j].Field) << all[i].Name;
  }
}

TEST(SourceRegistry, EveryEnumValueFindsItsOwnEntry) {
  for (const TSearchEngine id : {TSearchEngine::Classic, TSearchEngine::Searxng, TSearchEngine::Brave}) {
    EXPECT_EQ(TSourceRegistry::Engine(id).Id, id);
  }
  for (const TAuthoritySource id :
       {TAuthoritySource::Classic, TAuthoritySource::OpenPageRank, TAuthoritySource::Table, TAuthoritySource::None}) {
    EXPECT_EQ(TSourceRegistry::Authority(id).Id, id);
  }
  for (const TRankingSource id : {TRankingSource::Classic, TRankingSource::Tranco, TRankingSource::None}) {
    EXPECT_EQ(TSourceRegistry::Ranking(id).Id, id);
  }
}

TEST(SourceRegistry, LiveEngineNamesListEveryEngineButTheClassicOne) {
  EXPECT_EQ(TSourceRegistry::LiveEngineNames(), "searxng or brave");
}

// Each entry chosen, with every key set, is read back as written.
TEST(SourceRegistry, EveryEntryAndKeyRoundTripsThroughTheFile) {
  const TSources filled = WithEveryKeyFilled();
  const auto check = [&filled](const auto& entries, auto field) {
    for (const auto& entry : entries) {
      TSources s = filled;
      s.*field = entry.Id;
      const std::string text = TSourcesFile::Render({}, s);
      const TSources back = TSourcesFile::Parse(text, "sources.ini");
      EXPECT_EQ(back.*field, entry.Id) << entry.FileName << "\n" << text;
      for (const TSourceKey& key : AllKeys()) EXPECT_EQ(back.*key.Field, s.*key.Field) << key.Name;
    }
  };
  check(TSourceRegistry::Engines(), &TSources::Engine);
  check(TSourceRegistry::Authorities(), &TSources::Authority);
  check(TSourceRegistry::Rankings(), &TSources::Ranking);
}

// A chosen entry's required key left empty is refused at the choosing line,
// naming the key and what it should hold.
TEST(SourceRegistry, AMissingRequiredKeyIsRefusedAtTheChoice) {
  int required = 0;
  const auto check = [&required](const auto& entries, const std::string& choiceLine) {
    for (const auto& entry : entries) {
      for (const TSourceKey& key : entry.Keys) {
        if (!key.Required) continue;
        ++required;
        // The choice alone: the key stays at its (empty) default.
        const std::string text =
            "[" + std::string(key.Section) + "]\n" + choiceLine + " = " + entry.FileName + "\n";
        const std::string message = std::string("sources.ini line 2: [") + key.Section + "] " + choiceLine + " = " +
                                    entry.FileName + " needs " + key.Name + " (" + key.Needs + ")";
        if (!(TSourcesFile::Defaults().*key.Field).empty()) {
          // A key with a default is cleared by naming none.
          try {
            TSourcesFile::Parse(text + key.Name + " = none\n", "sources.ini");
            ADD_FAILURE() << key.Name << " cleared was accepted";
          } catch (const TSourcesFileError& error) {
            EXPECT_EQ(error.what(), message);
          }
          continue;
        }
        try {
          TSourcesFile::Parse(text, "sources.ini");
          ADD_FAILURE() << key.Name << " missing was accepted";
        } catch (const TSourcesFileError& error) {
          EXPECT_EQ(error.what(), message);
        }
        // Given, the same file is accepted.
        EXPECT_NO_THROW(TSourcesFile::Parse(text + key.Name + " = " + SampleValue(key) + "\n", "sources.ini"));
      }
    }
  };
  check(TSourceRegistry::Engines(), "engine");
  check(TSourceRegistry::Authorities(), "source");
  check(TSourceRegistry::Rankings(), "source");
  EXPECT_EQ(required, 5);
}

}  // namespace
}  // namespace halvane::sources
