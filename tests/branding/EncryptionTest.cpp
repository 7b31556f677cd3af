#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "branding/CryptFile.h"
#include "branding/TEncryption.h"
#include "tests/branding/TFolderTest.h"
#include "branding/WorkingFiles.h"

namespace halvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes FromHex(std::string_view hex) {
  Bytes out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    out.push_back(static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  }
  return out;
}

std::string Pattern(std::size_t length) {
  std::string text(length, '\0');
  for (std::size_t i = 0; i < length; ++i) text[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return text;
}

Bytes FixedSalt(std::size_t length) {
  Bytes salt(length);
  for (std::size_t i = 0; i < length; ++i) salt[i] = static_cast<std::uint8_t>(0xA0 + i);
  return salt;
}

void UseSalt(TEncryption& encryption, Bytes salt) {
  encryption.SaltSource = [salt = std::move(salt)](std::uint8_t* into, std::size_t length) {
    if (length != salt.size()) return false;
    std::memcpy(into, salt.data(), length);
    return true;
  };
}

std::string EncryptText(const std::string& password, const std::string& plain,
                        std::int32_t bufferSize = kCryptFileBufferSize) {
  TEncryption encryption(password, bufferSize);
  std::istringstream in(plain);
  std::ostringstream out;
  EXPECT_TRUE(encryption.Encrypt(in, out));
  return out.str();
}

struct TDecrypted {
  bool Ok;
  std::string Plain;
};

TDecrypted DecryptText(const std::string& password, const std::string& container,
                       std::int32_t bufferSize = kCryptFileBufferSize) {
  TEncryption encryption(password, bufferSize);
  std::istringstream in(container);
  std::ostringstream out;
  const bool ok = encryption.Decrypt(in, &out, static_cast<std::int64_t>(container.size()));
  return {ok, out.str()};
}

// The container computed straight from the primitives, without TCrypt.
std::string ReferenceContainer(const std::string& password, const Bytes& salt,
                               const std::string& plain) {
  const int mode = password.size() < 32 ? 1 : password.size() < 48 ? 2 : 3;
  const std::size_t keyLength = 8 * mode + 8;
  Bytes material(2 * keyLength + 2);
  EXPECT_EQ(1, PKCS5_PBKDF2_HMAC_SHA1(password.data(), static_cast<int>(password.size()), salt.data(),
                                      static_cast<int>(salt.size()), 1000,
                                      static_cast<int>(material.size()), material.data()));
  const EVP_CIPHER* cipher = mode == 1 ? EVP_aes_128_ecb() : mode == 2 ? EVP_aes_192_ecb() : EVP_aes_256_ecb();
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  EVP_EncryptInit_ex(ctx, cipher, nullptr, material.data(), nullptr);
  EVP_CIPHER_CTX_set_padding(ctx, 0);
  std::string cipherText = plain;
  std::uint64_t counter = 0;
  for (std::size_t block = 0; block * 16 < plain.size(); ++block) {
    ++counter;
    std::uint8_t counterBlock[16] = {};
    for (int b = 0; b < 8; ++b) counterBlock[b] = static_cast<std::uint8_t>(counter >> (8 * b));
    std::uint8_t stream[16];
    int produced = 0;
    EVP_EncryptUpdate(ctx, stream, &produced, counterBlock, 16);
    for (std::size_t k = 0; k < 16 && block * 16 + k < plain.size(); ++k) {
      cipherText[block * 16 + k] = static_cast<char>(cipherText[block * 16 + k] ^ stream[k]);
    }
  }
  EVP_CIPHER_CTX_free(ctx);
  unsigned char mac[20];
  unsigned int macLength = 0;
  HMAC(EVP_sha1(), material.data() + keyLength, static_cast<int>(keyLength),
       reinterpret_cast<const unsigned char*>(cipherText.data()), cipherText.size(), mac, &macLength);
  std::string container(salt.begin(), salt.end());
  container.append(reinterpret_cast<const char*>(material.data() + 2 * keyLength), 2);
  container += cipherText;
  container.append(reinterpret_cast<const char*>(mac), 10);
  return container;
}

TEST(KeyDerivation, MatchesPbkdf2HmacSha1Vectors) {
  struct Vector {
    std::string Password;
    std::string Salt;
    int Iterations;
    std::string Hex;
  };
  const std::vector<Vector> vectors = {
      {"password", "salt", 1, "0c60c80f961f0e71f3a9b524af6012062fe037a6"},
      {"password", "salt", 2, "ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957"},
      {"password", "salt", 4096, "4b007901b765489abead49d926f721d065a429c1"},
      {"passwordPASSWORDpassword", "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096,
       "3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038"},
      {std::string("pass\0word", 9), std::string("sa\0lt", 5), 4096, "56fa6aa75548099dcc37d7f03425e0c3"},
  };
  for (const Vector& v : vectors) {
    const Bytes expected = FromHex(v.Hex);
    Bytes out(expected.size());
    TCrypt::DeriveKeyMaterial(v.Password, reinterpret_cast<const std::uint8_t*>(v.Salt.data()),
                              v.Salt.size(), v.Iterations, out.data(), out.size());
    EXPECT_EQ(expected, out) << v.Password << " " << v.Iterations;
  }
}

TEST(KeyDerivation, ModesFollowPasswordLength) {
  EXPECT_EQ(1, TEncryption(std::string(31, 'p'), 16).Mode());
  EXPECT_EQ(2, TEncryption(std::string(32, 'p'), 16).Mode());
  EXPECT_EQ(2, TEncryption(std::string(47, 'p'), 16).Mode());
  EXPECT_EQ(3, TEncryption(std::string(48, 'p'), 16).Mode());
  EXPECT_EQ(1, TEncryption("", 16).Mode());
}

TEST(KeyDerivation, RefusesOverlongPasswordsAndBadModes) {
  TCrypt crypt("x", 16);
  std::array<std::uint8_t, 2> verifier{};
  const Bytes salt = FixedSalt(16);
  EXPECT_EQ(TCrypt::kPasswordTooLong, crypt.KeySetup(1, std::string(129, 'p'), salt.data(), verifier));
  EXPECT_FALSE(crypt.HasKeys());
  EXPECT_EQ(TCrypt::kBadMode, crypt.KeySetup(4, "x", salt.data(), verifier));
  EXPECT_EQ(TCrypt::kOk, crypt.KeySetup(1, std::string(128, 'p'), salt.data(), verifier));
}

TEST(Container, MatchesIndependentComputationInEveryMode) {
  // 5000 bytes run past key-stream block 256, and the odd buffer size makes
  // the key stream carry over between chunks.
  const std::string plain = Pattern(5000);
  for (const std::string& password : {std::string(kSettingsPassword), std::string(40, 'k'), std::string(64, 'z')}) {
    TEncryption encryption(password, 1000);
    const Bytes salt = FixedSalt(TCrypt::SaltLength(encryption.Mode()));
    UseSalt(encryption, salt);
    std::istringstream in(plain);
    std::ostringstream out;
    ASSERT_TRUE(encryption.Encrypt(in, out));
    EXPECT_EQ(ReferenceContainer(password, salt, plain), out.str()) << password.size();
    const TDecrypted back = DecryptText(password, out.str(), 333);
    EXPECT_TRUE(back.Ok);
    EXPECT_EQ(plain, back.Plain);
  }
}

TEST(Container, FileContainerFromThePrimitivesOpens) {
  const std::string plain = "<%%ApplicationName%%>Edition<%%/ApplicationName%%>\r\n";
  const std::string container = ReferenceContainer(std::string(kSettingsPassword), FixedSalt(8), plain);
  const TDecrypted back = DecryptText(std::string(kSettingsPassword), container);
  EXPECT_TRUE(back.Ok);
  EXPECT_EQ(plain, back.Plain);
}

TEST(Container, EmptyPlaintextGivesTwentyBytes) {
  const std::string container = EncryptText(std::string(kSettingsPassword), "");
  ASSERT_EQ(20u, container.size());
  const TDecrypted back = DecryptText(std::string(kSettingsPassword), container);
  EXPECT_TRUE(back.Ok);
  EXPECT_TRUE(back.Plain.empty());
}

TEST(Container, CounterBlock257CarriesIntoByteOne) {
  TCrypt crypt("pw", 16);
  std::array<std::uint8_t, 2> verifier{};
  const Bytes salt = FixedSalt(8);
  ASSERT_EQ(TCrypt::kOk, crypt.KeySetup(1, "pw", salt.data(), verifier));
  std::vector<std::uint8_t> data(256 * 16 + 1);
  crypt.Transform(data.data(), data.size());
  std::array<std::uint8_t, 16> expected{};
  expected[0] = 1;
  expected[1] = 1;
  EXPECT_EQ(expected, crypt.CounterBlock());
}

TEST(Container, SaltIsFreshEachTime) {
  const std::string first = EncryptText(std::string(kSettingsPassword), "same text");
  const std::string second = EncryptText(std::string(kSettingsPassword), "same text");
  EXPECT_NE(first, second);
  EXPECT_EQ("same text", DecryptText(std::string(kSettingsPassword), first).Plain);
  EXPECT_EQ("same text", DecryptText(std::string(kSettingsPassword), second).Plain);
}

TEST(Progress, EncryptOfAFullBufferReportsTheTotalTwice) {
  const std::string plain = Pattern(kCryptFileBufferSize);
  TEncryption encryption(std::string(kSettingsPassword), kCryptFileBufferSize);
  std::vector<std::pair<int, std::int64_t>> reports;
  encryption.OnProgress = [&](TEncryption& sender, std::uint8_t code, std::int64_t value) {
    EXPECT_EQ(&sender, &encryption);
    reports.emplace_back(code, value);
  };
  std::istringstream in(plain);
  std::ostringstream out;
  ASSERT_TRUE(encryption.Encrypt(in, out));
  const std::vector<std::pair<int, std::int64_t>> expected = {{4, kCryptFileBufferSize},
                                                              {4, kCryptFileBufferSize}};
  EXPECT_EQ(expected, reports);
  EXPECT_EQ(plain.size() + 20, out.str().size());
  EXPECT_EQ(plain, DecryptText(std::string(kSettingsPassword), out.str()).Plain);
}

TEST(Progress, DecryptReportsStartAndEachChunk) {
  const std::string container = EncryptText("pw", Pattern(25));
  TEncryption encryption("pw", 10);
  std::vector<std::pair<int, std::int64_t>> reports;
  encryption.OnProgress = [&](TEncryption&, std::uint8_t code, std::int64_t value) {
    reports.emplace_back(code, value);
  };
  std::istringstream in(container);
  ASSERT_TRUE(encryption.Decrypt(in, nullptr, static_cast<std::int64_t>(container.size())));
  const std::vector<std::pair<int, std::int64_t>> expected = {
      {1, -static_cast<std::int64_t>(container.size())}, {5, 10}, {5, 10}, {5, 5}};
  EXPECT_EQ(expected, reports);
}

struct TRegion {
  const char* Name;
  std::size_t Offset;
  friend std::ostream& operator<<(std::ostream& out, const TRegion& r) { return out << r.Name << "@" << r.Offset; }
};

class Tampering : public ::testing::TestWithParam<TRegion> {};

// Offsets into a mode-1 container of 40 plaintext bytes: salt 0-7, verifier
// 8-9, ciphertext 10-49, code 50-59.
TEST_P(Tampering, FlippedByteIsNotAuthentic) {
  const std::string plain = Pattern(40);
  std::string container = EncryptText(std::string(kSettingsPassword), plain);
  ASSERT_EQ(60u, container.size());
  container[GetParam().Offset] = static_cast<char>(container[GetParam().Offset] ^ 0x01);
  EXPECT_FALSE(DecryptText(std::string(kSettingsPassword), container).Ok);
  TEncryption verifyOnly(std::string(kSettingsPassword), 64);
  std::istringstream in(container);
  EXPECT_FALSE(verifyOnly.Decrypt(in, nullptr, static_cast<std::int64_t>(container.size())));
}

INSTANTIATE_TEST_SUITE_P(EveryRegion, Tampering,
                         ::testing::Values(TRegion{"salt", 3}, TRegion{"verifier", 9}, TRegion{"ciphertext", 10},
                                           TRegion{"ciphertext_end", 49}, TRegion{"code", 50},
                                           TRegion{"code_end", 59}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(Refusals, VerifyOnlyAcceptsAnIntactContainer) {
  const std::string container = EncryptText(std::string(kSettingsPassword), Pattern(100));
  TEncryption encryption(std::string(kSettingsPassword), 64);
  std::istringstream in(container);
  EXPECT_TRUE(encryption.Decrypt(in, nullptr, static_cast<std::int64_t>(container.size())));
}

TEST(Refusals, WrongPasswordWritesNothing) {
  // A fixed salt keeps the 1-in-65536 verifier collision out of the test.
  const std::string container = ReferenceContainer(std::string(kSettingsPassword), FixedSalt(8), Pattern(100));
  const TDecrypted back = DecryptText("pvmqrtzwxj", container);
  EXPECT_FALSE(back.Ok);
  EXPECT_TRUE(back.Plain.empty());
}

TEST(Refusals, OverlongPasswordWritesNothing) {
  const std::string password(129, 'p');
  TEncryption encryption(password, 64);
  std::istringstream in("plain");
  std::ostringstream out;
  EXPECT_FALSE(encryption.Encrypt(in, out));
  EXPECT_TRUE(out.str().empty());
  const std::string container = EncryptText(std::string(128, 'p'), "plain");
  const TDecrypted back = DecryptText(password, container);
  EXPECT_FALSE(back.Ok);
  EXPECT_TRUE(back.Plain.empty());
}

TEST(Refusals, ShortOrTruncatedContainers) {
  const std::string container = EncryptText(std::string(kSettingsPassword), Pattern(30));
  for (std::size_t length : {0u, 1u, 10u, 19u}) {
    const TDecrypted back = DecryptText(std::string(kSettingsPassword), container.substr(0, length));
    EXPECT_FALSE(back.Ok) << length;
    EXPECT_TRUE(back.Plain.empty()) << length;
  }
  // A size that promises more than the stream holds.
  TEncryption encryption(std::string(kSettingsPassword), 64);
  std::istringstream in(container);
  std::ostringstream out;
  EXPECT_FALSE(encryption.Decrypt(in, &out, static_cast<std::int64_t>(container.size()) + 5));
  EXPECT_FALSE(DecryptText(std::string(kSettingsPassword), container.substr(0, 45)).Ok);
}

TEST(Refusals, FailingSaltSourceWritesNothing) {
  TEncryption encryption("pw", 64);
  encryption.SaltSource = [](std::uint8_t*, std::size_t) { return false; };
  std::istringstream in("plain");
  std::ostringstream out;
  EXPECT_FALSE(encryption.Encrypt(in, out));
  EXPECT_TRUE(out.str().empty());
}

TEST(Refusals, StreamErrorsTurnIntoFalse) {
  TEncryption encryption("pw", 64);
  std::istringstream in("plain");
  std::ostringstream out;
  out.setstate(std::ios::badbit);
  EXPECT_FALSE(encryption.Encrypt(in, out));
}

using CryptFiles = TFolderTest;

TEST_F(CryptFiles, RoundTripWithOwnerOnlyPlainCopy) {
  WriteWholeFile(Path("plain"), "line one\r\nline two\r\n");
  ASSERT_TRUE(EncryptFile(Path("plain"), Path("dbsettings.dat")));
  EXPECT_EQ(20u + 20u, ReadWholeFile(Path("dbsettings.dat")).size());
  WriteWholeFile(Path("dbsettings.sim"), "stale and longer than the plaintext by far");
  ::chmod(Path("dbsettings.sim").c_str(), 0644);
  ASSERT_TRUE(DecryptFile(Path("dbsettings.dat"), Path("dbsettings.sim")));
  EXPECT_EQ("line one\r\nline two\r\n", ReadWholeFile(Path("dbsettings.sim")));
  struct stat info {};
  ASSERT_EQ(0, ::stat(Path("dbsettings.sim").c_str(), &info));
  EXPECT_EQ(0600u, info.st_mode & 0777);
}

TEST_F(CryptFiles, AlteredContainerLeavesTheCopyEmpty) {
  WriteWholeFile(Path("plain"), "<%%AffiliateURL%%>http://publisher.example/<%%/AffiliateURL%%>");
  ASSERT_TRUE(EncryptFile(Path("plain"), Path("dbsettings.dat")));
  std::string container = ReadWholeFile(Path("dbsettings.dat"));
  container[20] = static_cast<char>(container[20] ^ 0x20);
  WriteWholeFile(Path("dbsettings.dat"), container);
  EXPECT_FALSE(DecryptFile(Path("dbsettings.dat"), Path("dbsettings.sim")));
  EXPECT_EQ("", ReadWholeFile(Path("dbsettings.sim")));
}

TEST_F(CryptFiles, MissingSourceThrows) {
  EXPECT_THROW(DecryptFile(Path("absent"), Path("out")), std::system_error);
  EXPECT_THROW(EncryptFile(Path("absent"), Path("out")), std::system_error);
  WriteWholeFile(Path("plain"), "x");
  EXPECT_THROW(EncryptFile(Path("plain"), Path("no/such/folder/out")), std::system_error);
}

}  // namespace
}  // namespace halvane
