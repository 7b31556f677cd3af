#include "branding/TEncryption.h"

#include <openssl/crypto.h>
#include <openssl/rand.h>

#include <exception>
#include <istream>
#include <limits>
#include <ostream>
#include <vector>

namespace halvane {
namespace {

bool SystemSalt(std::uint8_t* bytes, std::size_t length) {
  return length <= static_cast<std::size_t>(std::numeric_limits<int>::max()) &&
         RAND_bytes(bytes, static_cast<int>(length)) == 1;
}

// Total size of a seekable stream, or -1.
std::int64_t StreamSize(std::istream& stream) {
  const std::istream::pos_type here = stream.tellg();
  if (here == std::istream::pos_type(-1)) return -1;
  stream.seekg(0, std::ios::end);
  const std::istream::pos_type end = stream.tellg();
  stream.seekg(here);
  if (end == std::istream::pos_type(-1) || !stream) {
    stream.clear();
    stream.seekg(here);
    return -1;
  }
  return static_cast<std::int64_t>(end);
}

std::size_t ReadUpTo(std::istream& stream, std::uint8_t* into, std::size_t count) {
  if (count == 0) return 0;
  stream.read(reinterpret_cast<char*>(into), static_cast<std::streamsize>(count));
  return static_cast<std::size_t>(stream.gcount());
}

bool WriteAll(std::ostream& stream, const std::uint8_t* from, std::size_t count) {
  if (count != 0) stream.write(reinterpret_cast<const char*>(from), static_cast<std::streamsize>(count));
  return static_cast<bool>(stream);
}

}  // namespace

TEncryption::TEncryption(std::string password, std::int32_t bufferSize)
    : TCrypt(std::move(password), bufferSize), SaltSource(SystemSalt) {}

void TEncryption::Progress(std::uint8_t code, std::int64_t value) {
  if (OnProgress) OnProgress(*this, code, value);
}

bool TEncryption::Encrypt(std::istream& source, std::ostream& destination) {
  try {
    return RunEncrypt(source, destination);
  } catch (const std::exception&) {
    return false;
  }
}

bool TEncryption::Decrypt(std::istream& source, std::ostream* destination, std::int64_t size) {
  try {
    return RunDecrypt(source, destination, size);
  } catch (const std::exception&) {
    return false;
  }
}

bool TEncryption::RunEncrypt(std::istream& source, std::ostream& destination) {
  const std::size_t saltLength = SaltLength(Mode());
  std::vector<std::uint8_t> salt(saltLength);
  if (!SaltSource || !SaltSource(salt.data(), saltLength)) return false;
  std::array<std::uint8_t, kVerifierBytes> verifier{};
  if (KeySetup(Mode(), Password(), salt.data(), verifier) != kOk) return false;
  if (!WriteAll(destination, salt.data(), salt.size()) ||
      !WriteAll(destination, verifier.data(), verifier.size())) {
    return false;
  }

  const auto chunk = static_cast<std::size_t>(BufferSize());
  std::int64_t total = 0;
  while (true) {
    const std::size_t got = ReadUpTo(source, Buffer(), chunk);
    if (source.bad()) return false;
    total += static_cast<std::int64_t>(got);
    Progress(kProgressEncryptChunk, total);
    EncryptChunk(Buffer(), got);
    const bool written = WriteAll(destination, Buffer(), got);
    OPENSSL_cleanse(Buffer(), got);
    if (!written) return false;
    if (got < chunk) break;
  }

  const auto code = FinishMac();
  return WriteAll(destination, code.data(), code.size()) && static_cast<bool>(destination.flush());
}

bool TEncryption::RunDecrypt(std::istream& source, std::ostream* destination, std::int64_t size) {
  const std::int64_t sourceSize = StreamSize(source);
  Progress(kProgressDecryptStart, -(sourceSize >= 0 ? sourceSize : size));

  const std::size_t saltLength = SaltLength(Mode());
  const auto overhead = static_cast<std::int64_t>(saltLength + kVerifierBytes + kMacBytes);
  if (Password().size() > static_cast<std::size_t>(kMaxPasswordBytes)) return false;
  if (size < overhead) return false;

  std::vector<std::uint8_t> salt(saltLength);
  if (ReadUpTo(source, salt.data(), saltLength) != saltLength) return false;
  std::array<std::uint8_t, kVerifierBytes> verifier{};
  if (KeySetup(Mode(), Password(), salt.data(), verifier) != kOk) return false;
  std::array<std::uint8_t, kVerifierBytes> stored{};
  if (ReadUpTo(source, stored.data(), stored.size()) != stored.size()) return false;
  if (stored != verifier) return false;

  const auto chunk = static_cast<std::int64_t>(BufferSize());
  std::int64_t remaining = size - overhead;
  do {
    const auto count = static_cast<std::size_t>(remaining < chunk ? remaining : chunk);
    const std::size_t got = ReadUpTo(source, Buffer(), count);
    Progress(kProgressDecryptChunk, static_cast<std::int64_t>(got));
    // A source holding fewer bytes than announced is not a whole container.
    if (got != count) return false;
    DecryptChunk(Buffer(), got);
    const bool written = destination == nullptr || WriteAll(*destination, Buffer(), got);
    OPENSSL_cleanse(Buffer(), got);
    if (!written) return false;
    remaining -= static_cast<std::int64_t>(got);
  } while (remaining > 0);
  if (destination != nullptr && !destination->flush()) return false;

  const auto expected = FinishMac();
  std::array<std::uint8_t, kMacBytes> code{};
  if (ReadUpTo(source, code.data(), code.size()) != code.size()) return false;
  return CRYPTO_memcmp(code.data(), expected.data(), code.size()) == 0;
}

}  // namespace halvane
