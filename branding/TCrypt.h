#pragma once
// Password-based encryption core of the settings container: key derivation
// (PBKDF2-HMAC-SHA1), AES in counter mode with a little-endian counter in the
// low eight bytes of the counter block, and HMAC-SHA1 over the ciphertext.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// OpenSSL handles, kept opaque so that users of the header need no OpenSSL.
struct evp_cipher_ctx_st;
struct evp_mac_ctx_st;

namespace halvane {

class TCrypt {
 public:
  static constexpr int kMaxPasswordBytes = 128;
  static constexpr int kPbkdf2Iterations = 1000;
  static constexpr std::size_t kVerifierBytes = 2;
  static constexpr std::size_t kMacBytes = 10;
  // Key set-up result codes.
  static constexpr int kOk = 0;
  static constexpr int kPasswordTooLong = -100;
  static constexpr int kBadMode = -101;

  // Mode 1, 2 or 3 by password length: 0-31, 32-47, 48 and more.
  static int ModeForPasswordLength(std::size_t length) noexcept;
  static std::size_t KeyLength(int mode) noexcept { return 8u * mode + 8u; }
  static std::size_t SaltLength(int mode) noexcept { return 4u * mode + 4u; }

  // PBKDF2-HMAC-SHA1 of password and salt into out.
  static void DeriveKeyMaterial(std::string_view password, const std::uint8_t* salt,
                                std::size_t saltLength, int iterations, std::uint8_t* out,
                                std::size_t outLength);

  // bufferSize is the chunk size of Encrypt and Decrypt; values below 1 are
  // taken as 1 so that the chunk loops always make progress.
  TCrypt(std::string password, std::int32_t bufferSize);
  ~TCrypt();
  TCrypt(const TCrypt&) = delete;
  TCrypt& operator=(const TCrypt&) = delete;

  int Mode() const noexcept { return FMode; }
  std::int32_t BufferSize() const noexcept { return FBufferSize; }
  const std::string& Password() const noexcept { return FPassword; }

  // Derives the keys for salt (SaltLength(mode) bytes) and resets the
  // counter, the key-stream position and the HMAC state. On success fills
  // verifier and returns kOk; otherwise the context has no keys.
  int KeySetup(int mode, const std::string& password, const std::uint8_t* salt,
               std::array<std::uint8_t, kVerifierBytes>& verifier);

  // Counter-mode transformation in place, continuing the key stream.
  void Transform(std::uint8_t* data, std::size_t length);
  // Transform, then authenticate the ciphertext.
  void EncryptChunk(std::uint8_t* data, std::size_t length);
  // Authenticate the ciphertext, then transform it.
  void DecryptChunk(std::uint8_t* data, std::size_t length);
  // Finishes the HMAC; the first kMacBytes of the result are the code.
  std::array<std::uint8_t, kMacBytes> FinishMac();

  bool HasKeys() const noexcept { return FContext.Keyed; }
  const std::array<std::uint8_t, 16>& CounterBlock() const noexcept { return FContext.Counter; }

 protected:
  std::uint8_t* Buffer() noexcept { return FBuffer.data(); }

 private:
  struct TContext {
    std::array<std::uint8_t, 16> Counter{};
    std::array<std::uint8_t, 16> KeyStream{};
    evp_cipher_ctx_st* Cipher = nullptr;
    evp_mac_ctx_st* Mac = nullptr;
    std::size_t Position = 16;
    std::size_t PasswordLength = 0;
    int Mode = 0;
    bool Keyed = false;
  };

  void NextKeyStreamBlock();
  void ReleaseKeys() noexcept;

  int FMode;
  TContext FContext;
  std::string FPassword;
  std::int32_t FBufferSize;
  std::vector<std::uint8_t> FBuffer;
};

}  // namespace halvane
