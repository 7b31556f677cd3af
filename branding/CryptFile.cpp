#include "CryptFile.h"

#include <cerrno>
#include <fstream>
#include <sstream>
#include <system_error>
#include <utility>

#include "TEncryption.h"
#include "WorkingFiles.h"

namespace halvane {
namespace {

std::ifstream OpenSource(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::system_error(errno, std::generic_category(), "cannot open " + path);
  return in;
}

std::ofstream OpenDestination(const std::string& path) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::system_error(errno, std::generic_category(), "cannot create " + path);
  return out;
}

std::int64_t FileSize(std::ifstream& in, const std::string& path) {
  in.seekg(0, std::ios::end);
  const auto size = static_cast<std::int64_t>(in.tellg());
  in.seekg(0, std::ios::beg);
  if (size < 0 || !in) throw std::system_error(EIO, std::generic_category(), "cannot read " + path);
  return size;
}

}  // namespace

bool DecryptFileAtomically(const std::string& source, const std::string& destination) {
  return ReplaceFileThrough(destination, [&](const std::string& temporary) { return DecryptFile(source, temporary); });
}

bool EncryptFileAtomically(const std::string& source, const std::string& destination) {
  return ReplaceFileThrough(destination, [&](const std::string& temporary) { return EncryptFile(source, temporary); });
}

bool DecryptFile(const std::string& source, const std::string& destination) {
  std::ifstream in = OpenSource(source);
  const std::int64_t size = FileSize(in, source);
  CreatePrivateFile(destination);
  bool ok = false;
  {
    std::ofstream out = OpenDestination(destination);
    TEncryption encryption(std::string(kSettingsPassword), kCryptFileBufferSize);
    ok = encryption.Decrypt(in, &out, size);
    out.close();
    ok = ok && !out.fail();
  }
  // A plaintext that failed authentication must not be read by anyone.
  if (!ok) OpenDestination(destination).close();
  return ok;
}

bool EncryptFile(const std::string& source, const std::string& destination) {
  std::ifstream in = OpenSource(source);
  std::ofstream out = OpenDestination(destination);
  TEncryption encryption(std::string(kSettingsPassword), kCryptFileBufferSize);
  bool ok = encryption.Encrypt(in, out);
  out.close();
  return ok && !out.fail();
}

bool DecryptSettingsBytes(std::string_view container, std::string& plain) {
  plain.clear();
  std::istringstream in{std::string(container)};
  std::ostringstream out;
  TEncryption encryption(std::string(kSettingsPassword), kCryptFileBufferSize);
  if (!encryption.Decrypt(in, &out, static_cast<std::int64_t>(container.size()))) return false;
  plain = std::move(out).str();
  return true;
}

bool EncryptSettingsBytes(std::string_view plain, std::string& container) {
  container.clear();
  std::istringstream in{std::string(plain)};
  std::ostringstream out;
  TEncryption encryption(std::string(kSettingsPassword), kCryptFileBufferSize);
  if (!encryption.Encrypt(in, out)) return false;
  container = std::move(out).str();
  return true;
}

}  // namespace halvane
