#include "script/ChecksumScript.h"

#include <gtest/gtest.h>

#include <random>
#include <thread>

#include "script/EmbeddedScriptImage.h"
#include "script/ScriptCipher.h"
#include "tests/script/ScriptTestImage.h"
#include "tools/reference/UrlHashReference.h"

namespace halvane {
namespace {

using test::ReferenceUrlHash;

std::string RandomBytes(std::mt19937& rng, std::size_t length) {
  std::uniform_int_distribution<int> byte(1, 255);  // a 0 byte would end the script's string
  std::string s(length, '\0');
  for (char& c : s) c = static_cast<char>(byte(rng));
  return s;
}

std::uint32_t Word(std::mt19937& rng) { return static_cast<std::uint32_t>(rng()); }

class ChecksumScriptTest : public ::testing::Test {
 protected:
  void SetUp() override { LoadChecksumScript(); }
  void TearDown() override { LoadChecksumScript(); }

  // Loads an assembled test image in place of the embedded one.
  static bool LoadSource(std::string_view source) {
    const auto image = test::Assemble(source);
    std::string enciphered;
    EncipherImage(std::string(image.begin(), image.end()), "testkey", enciphered);
    return LoadChecksumScriptImage(enciphered, "testkey");
  }
};

TEST(ScriptCipher, BlocksRoundTripForAnyKey) {
  std::mt19937 rng(7);
  for (int i = 0; i < 200; ++i) {
    const std::uint32_t key[4] = {Word(rng), Word(rng), Word(rng), Word(rng)};
    std::uint32_t block[2] = {Word(rng), Word(rng)};
    const std::uint32_t original[2] = {block[0], block[1]};
    EncipherBlock(block, key);
    EXPECT_FALSE(block[0] == original[0] && block[1] == original[1]);
    DecipherBlock(block, key);
    EXPECT_EQ(block[0], original[0]);
    EXPECT_EQ(block[1], original[1]);
  }
}

std::string FromHex(std::string_view hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  }
  return bytes;
}

// Known answers from tests/script/cipher_reference.py, a separate reference
// written from the algorithm's description: a consistently wrong mixing step
// would still round-trip, but not give these.
TEST(ScriptCipher, BlocksGiveTheReferenceAnswers) {
  const std::uint32_t zeroKey[4] = {0, 0, 0, 0};
  std::uint32_t block[2] = {0, 0};
  DecipherBlock(block, zeroKey);
  EXPECT_EQ(block[0], 0x8AC8870Cu);
  EXPECT_EQ(block[1], 0xB582FAA9u);
  std::string out;
  DecipherImage(std::string(8, '\0'), "", out);
  EXPECT_EQ(out, FromHex("0c87c88aa9fa82b5"));

  const std::string counting = FromHex("000102030405060708090a0b0c0d0e0f");
  DecipherImage(counting.substr(0, 8), counting, out);
  EXPECT_EQ(out, FromHex("7abf6296b93b5673"));
  EncipherImage(counting.substr(0, 8), counting, out);
  EXPECT_EQ(out, FromHex("0936875d386d710e"));
  // The same through the word interface: bytes 0-3 are the first word, little-endian.
  const std::uint32_t countingKey[4] = {0x03020100, 0x07060504, 0x0B0A0908, 0x0F0E0D0C};
  std::uint32_t words[2] = {0x03020100, 0x07060504};
  DecipherBlock(words, countingKey);
  EXPECT_EQ(words[0], 0x9662BF7Au);
  EXPECT_EQ(words[1], 0x73563BB9u);
}

TEST(ScriptCipher, ImagesGiveTheReferenceAnswersPastTheKeyLength) {
  // 44 bytes: six blocks, the last zero-filled; blocks from byte 16 on lie
  // past the 16-byte key.
  const std::string text = "The quick brown fox jumps over the lazy dog.";
  std::string out;
  DecipherImage(text, "Halvane checksum", out);
  EXPECT_EQ(out, FromHex("42075d31799c61c51e95803eebb47d0ed89b1855d19951367b80a7a14ac66d11"
                         "2075f263d34a692f65706e58bb1165c3"));
  EncipherImage(text, "Halvane checksum", out);
  EXPECT_EQ(out, FromHex("82ff9edef3ab616ef93e4b6a1e123e547c97c8d8da1dfac29f9b0ab2dcb3707b"
                         "d7b872472eee66f9ecb9dd4f24a02401"));
  DecipherImage(text.substr(0, 17), "0123456789abcdefEXTRA", out);
  EXPECT_EQ(out, FromHex("29f3f7d0961c606dce2744ebde5d8f41b634b76b8a2956ac"));
}

TEST(ScriptCipher, ImageLengthRoundsUpAndTheLastBlockIsZeroFilled) {
  std::mt19937 rng(3);
  const std::string data = RandomBytes(rng, 1433);
  std::string plain;
  DecipherImage(data.substr(0, 1432), "key", plain);
  EXPECT_EQ(plain.size(), 1432u);
  DecipherImage(data, "key", plain);
  EXPECT_EQ(plain.size(), 1440u);
  std::string padded;
  DecipherImage(data + std::string(7, '\0'), "key", padded);
  EXPECT_EQ(plain, padded);
  DecipherImage("", "key", plain);
  EXPECT_TRUE(plain.empty());
}

TEST(ScriptCipher, ShortKeysArePaddedWithZerosAndLongOnesCut) {
  const std::string data(64, 'x');
  std::string a;
  std::string b;
  DecipherImage(data, "0123456789", a);
  DecipherImage(data, std::string("0123456789") + std::string(6, '\0'), b);
  EXPECT_EQ(a, b);
  DecipherImage(data, "0123456789abcdef", a);
  DecipherImage(data, "0123456789abcdefEXTRA", b);
  EXPECT_EQ(a, b);
}

TEST_F(ChecksumScriptTest, EmbeddedScriptGivesTheKnownValues) {
  ASSERT_TRUE(ChecksumScriptLoaded());
  EXPECT_EQ(std::string_view(ScriptImageKey).size(), 16u);
  EXPECT_EQ(ComputeUrlHash("info:", true), 882688726u);
  EXPECT_EQ(ComputeUrlHash("info:", false), 2316959404u);
  EXPECT_EQ(ComputeUrlHash("info:www.example.com/", true), 2387556786u);
  EXPECT_EQ(ComputeUrlHash("info:www.example.com/", false), 2020957173u);
  EXPECT_EQ(ComputeUrlHash("info:www.caf\xE9.fr/", true), 2421283997u);
  EXPECT_EQ(ComputeUrlHash("info:www.caf\xE9.fr/", false), 2968924478u);
}

TEST_F(ChecksumScriptTest, MatchesTheReferenceOnRandomTexts) {
  std::mt19937 rng(20261209);
  std::uniform_int_distribution<std::size_t> length(0, 300);
  for (int i = 0; i < 10000; ++i) {
    const std::string text = RandomBytes(rng, length(rng));
    const bool old = (i % 2) == 0;
    ASSERT_EQ(ComputeUrlHash(text, old), ReferenceUrlHash(text, old)) << "text of " << text.size() << " bytes";
  }
  // Every block and tail length, both variants.
  for (std::size_t n = 0; n <= 40; ++n) {
    const std::string text = RandomBytes(rng, n);
    EXPECT_EQ(ComputeUrlHash(text, true), ReferenceUrlHash(text, true)) << n;
    EXPECT_EQ(ComputeUrlHash(text, false), ReferenceUrlHash(text, false)) << n;
  }
}

TEST_F(ChecksumScriptTest, TakesTextsOf8192BytesAndGivesZeroBeyondItsMemory) {
  std::mt19937 rng(1);
  const std::string longest = RandomBytes(rng, 8192);
  EXPECT_EQ(ComputeUrlHash(longest, false), ReferenceUrlHash(longest, false));
  EXPECT_EQ(ComputeUrlHash(RandomBytes(rng, 9000), false), 0u);
  // The failed allotment left the heap as it was.
  EXPECT_EQ(ComputeUrlHash(longest, true), ReferenceUrlHash(longest, true));
}

TEST_F(ChecksumScriptTest, ConcurrentCallersAreSerialised) {
  std::vector<std::thread> threads;
  std::vector<int> mismatches(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &mismatches] {
      std::mt19937 rng(static_cast<unsigned>(t));
      for (int i = 0; i < 300; ++i) {
        const std::string text = "info:" + RandomBytes(rng, static_cast<std::size_t>(i % 90));
        if (ComputeUrlHash(text, false) != ReferenceUrlHash(text, false)) ++mismatches[static_cast<std::size_t>(t)];
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}

TEST_F(ChecksumScriptTest, WithoutAnImageEveryChecksumIsZero) {
  ReleaseChecksumScript();
  EXPECT_FALSE(ChecksumScriptLoaded());
  EXPECT_EQ(ComputeUrlHash("info:", false), 0u);
  std::string embedded(EncipheredScriptImage.begin(), EncipheredScriptImage.end());
  EXPECT_FALSE(LoadChecksumScriptImage(embedded, "not the right key"));
  EXPECT_EQ(ComputeUrlHash("info:", false), 0u);
  EXPECT_TRUE(LoadChecksumScriptImage(embedded, ScriptImageKey));
  EXPECT_EQ(ComputeUrlHash("info:", false), 2316959404u);
}

TEST_F(ChecksumScriptTest, PassesTheTextAndTheFlagCellAndRestoresTheHeap) {
  // Returns (HEA << 16) + 1000 * flag + (flag address - text address).
  ASSERT_TRUE(LoadSource(R"(
.public urlhash urlhash
.code
        halt 0
urlhash: proc
        load.s.pri 16
        load.s.alt 12
        sub
        stor.pri scratch
        lref.s.pri 16
        smul.c 1000
        load.alt scratch
        add
        stor.pri scratch
        lctrl 2
        shl.c.pri 16
        load.alt scratch
        add
        retn
.data
scratch: .cell 0
)"));
  // "info:" and a 5-character page: 11 cells for the text, then the flag.
  const std::uint32_t current = ComputeUrlHash("info:abcde", false);
  const std::uint32_t old = ComputeUrlHash("info:abcde", true);
  EXPECT_EQ(current & 0xFFFF, 1044u);
  EXPECT_EQ(old & 0xFFFF, 44u);
  EXPECT_EQ(current >> 16, 4u + 48u);  // HLW (one data cell) plus both allotments
  EXPECT_EQ(old >> 16, current >> 16);
}

TEST_F(ChecksumScriptTest, FailingRunsAndMissingFunctionsGiveZero) {
  ASSERT_TRUE(LoadSource(R"(
.public urlhash urlhash
.code
        halt 0
urlhash: proc
        const.pri 5
        zero.alt
        sdiv
        retn
)"));
  EXPECT_EQ(ComputeUrlHash("info:", false), 0u);
  ASSERT_TRUE(LoadSource(R"(
.public other other
.code
        halt 0
other:  proc
        const.pri 5
        retn
)"));
  EXPECT_EQ(ComputeUrlHash("info:", false), 0u);
  // An image naming a native outside the core table is not kept.
  EXPECT_FALSE(LoadSource(R"(
.native fetch
.public urlhash urlhash
.code
        halt 0
urlhash: proc
        retn
)"));
  EXPECT_FALSE(ChecksumScriptLoaded());
}

}  // namespace
}  // namespace halvane
