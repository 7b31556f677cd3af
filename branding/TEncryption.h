#pragma once
// The settings container: salt, 2-byte password verifier, ciphertext and a
// 10-byte authentication code, with no magic and no length field.
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

#include "branding/TCrypt.h"

namespace halvane {

class TEncryption;

// Progress codes: 1 at the start of Decrypt (value: minus the source size),
// 4 after each chunk Encrypt reads (value: plaintext bytes read so far),
// 5 after each chunk Decrypt reads (value: that chunk's size).
using TCryptProgressEvent = std::function<void(TEncryption& sender, std::uint8_t code, std::int64_t value)>;

// Fills the given bytes with unpredictable salt; false when it cannot.
using TSaltSource = std::function<bool(std::uint8_t* bytes, std::size_t length)>;

class TEncryption : public TCrypt {
 public:
  static constexpr std::uint8_t kProgressDecryptStart = 1;
  static constexpr std::uint8_t kProgressEncryptChunk = 4;
  static constexpr std::uint8_t kProgressDecryptChunk = 5;

  TEncryption(std::string password, std::int32_t bufferSize);

  // Writes the whole container for the rest of source. False on a stream
  // error, a password over 128 bytes or a failing salt source; in the last
  // two cases nothing is written.
  bool Encrypt(std::istream& source, std::ostream& destination);

  // size is the container's total length. With no destination the container
  // is only verified. False for a wrong password, a container shorter than
  // salt + 12 bytes or a password over 128 bytes (nothing written then), a
  // stream that holds fewer than size bytes, a stream error, or an
  // authentication code that does not match (the plaintext has then been
  // written in full: the caller must discard it).
  bool Decrypt(std::istream& source, std::ostream* destination, std::int64_t size);

  TCryptProgressEvent OnProgress;
  // The operating system's random source unless replaced (tests fix the salt).
  TSaltSource SaltSource;

 private:
  void Progress(std::uint8_t code, std::int64_t value);
  bool RunEncrypt(std::istream& source, std::ostream& destination);
  bool RunDecrypt(std::istream& source, std::ostream* destination, std::int64_t size);
};

}  // namespace halvane
