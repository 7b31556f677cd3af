#include "branding/TCrypt.h"

#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/params.h>

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace halvane {
namespace {

EVP_MAC* HmacAlgorithm() {
  // Fetched once for the run; the handle is shared by every context.
  static EVP_MAC* const mac = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
  if (mac == nullptr) throw std::runtime_error("HMAC is not available");
  return mac;
}

const EVP_CIPHER* AesEcb(std::size_t keyLength) {
  switch (keyLength) {
    case 16: return EVP_aes_128_ecb();
    case 24: return EVP_aes_192_ecb();
    default: return EVP_aes_256_ecb();
  }
}

}  // namespace

int TCrypt::ModeForPasswordLength(std::size_t length) noexcept {
  if (length < 32) return 1;
  if (length < 48) return 2;
  return 3;
}

void TCrypt::DeriveKeyMaterial(std::string_view password, const std::uint8_t* salt,
                               std::size_t saltLength, int iterations, std::uint8_t* out,
                               std::size_t outLength) {
  if (PKCS5_PBKDF2_HMAC_SHA1(password.data(), static_cast<int>(password.size()), salt,
                             static_cast<int>(saltLength), iterations, static_cast<int>(outLength),
                             out) != 1) {
    throw std::runtime_error("key derivation failed");
  }
}

TCrypt::TCrypt(std::string password, std::int32_t bufferSize)
    : FMode(ModeForPasswordLength(password.size())),
      FPassword(std::move(password)),
      FBufferSize(bufferSize < 1 ? 1 : bufferSize),
      FBuffer(static_cast<std::size_t>(FBufferSize)) {}

TCrypt::~TCrypt() {
  ReleaseKeys();
  OPENSSL_cleanse(FBuffer.data(), FBuffer.size());
  OPENSSL_cleanse(FPassword.data(), FPassword.size());
}

void TCrypt::ReleaseKeys() noexcept {
  EVP_CIPHER_CTX_free(FContext.Cipher);
  EVP_MAC_CTX_free(FContext.Mac);
  FContext.Cipher = nullptr;
  FContext.Mac = nullptr;
  FContext.Keyed = false;
  OPENSSL_cleanse(FContext.KeyStream.data(), FContext.KeyStream.size());
  FContext.Counter.fill(0);
  FContext.Position = 16;
}

int TCrypt::KeySetup(int mode, const std::string& password, const std::uint8_t* salt,
                     std::array<std::uint8_t, kVerifierBytes>& verifier) {
  ReleaseKeys();
  if (password.size() > static_cast<std::size_t>(kMaxPasswordBytes)) return kPasswordTooLong;
  if (mode < 1 || mode > 3) return kBadMode;

  const std::size_t keyLength = KeyLength(mode);
  std::array<std::uint8_t, 66> material{};
  const std::size_t materialLength = 2 * keyLength + 2;
  DeriveKeyMaterial(password, salt, SaltLength(mode), kPbkdf2Iterations, material.data(),
                    materialLength);

  FContext.Cipher = EVP_CIPHER_CTX_new();
  FContext.Mac = EVP_MAC_CTX_new(HmacAlgorithm());
  char digest[] = "SHA1";
  const OSSL_PARAM params[] = {
      OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0), OSSL_PARAM_construct_end()};
  const bool ready =
      FContext.Cipher != nullptr && FContext.Mac != nullptr &&
      EVP_EncryptInit_ex(FContext.Cipher, AesEcb(keyLength), nullptr, material.data(), nullptr) == 1 &&
      EVP_CIPHER_CTX_set_padding(FContext.Cipher, 0) == 1 &&
      EVP_MAC_init(FContext.Mac, material.data() + keyLength, keyLength, params) == 1;
  verifier = {material[2 * keyLength], material[2 * keyLength + 1]};
  OPENSSL_cleanse(material.data(), material.size());
  if (!ready) {
    ReleaseKeys();
    throw std::runtime_error("cipher set-up failed");
  }
  FContext.PasswordLength = password.size();
  FContext.Mode = mode;
  FContext.Keyed = true;
  return kOk;
}

void TCrypt::NextKeyStreamBlock() {
  for (std::size_t i = 0; i < 8; ++i) {
    if (++FContext.Counter[i] != 0) break;
  }
  int produced = 0;
  if (EVP_EncryptUpdate(FContext.Cipher, FContext.KeyStream.data(), &produced,
                        FContext.Counter.data(), 16) != 1 ||
      produced != 16) {
    throw std::runtime_error("block encryption failed");
  }
  FContext.Position = 0;
}

void TCrypt::Transform(std::uint8_t* data, std::size_t length) {
  if (!FContext.Keyed) throw std::logic_error("no keys");
  for (std::size_t i = 0; i < length; ++i) {
    if (FContext.Position == 16) NextKeyStreamBlock();
    data[i] ^= FContext.KeyStream[FContext.Position++];
  }
}

void TCrypt::EncryptChunk(std::uint8_t* data, std::size_t length) {
  Transform(data, length);
  if (length != 0 && EVP_MAC_update(FContext.Mac, data, length) != 1) {
    throw std::runtime_error("authentication failed");
  }
}

void TCrypt::DecryptChunk(std::uint8_t* data, std::size_t length) {
  if (!FContext.Keyed) throw std::logic_error("no keys");
  if (length != 0 && EVP_MAC_update(FContext.Mac, data, length) != 1) {
    throw std::runtime_error("authentication failed");
  }
  Transform(data, length);
}

std::array<std::uint8_t, TCrypt::kMacBytes> TCrypt::FinishMac() {
  if (!FContext.Keyed) throw std::logic_error("no keys");
  std::array<std::uint8_t, EVP_MAX_MD_SIZE> full{};
  std::size_t fullLength = 0;
  if (EVP_MAC_final(FContext.Mac, full.data(), &fullLength, full.size()) != 1 ||
      fullLength < kMacBytes) {
    throw std::runtime_error("authentication failed");
  }
  std::array<std::uint8_t, kMacBytes> code{};
  std::copy_n(full.begin(), kMacBytes, code.begin());
  return code;
}

}  // namespace halvane
