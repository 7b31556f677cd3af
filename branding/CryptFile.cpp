#include "branding/CryptFile.h"

#include <cerrno>
#include <fstream>
#include <istream>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <system_error>
#include <utility>

#include "branding/TEncryption.h"
#include "branding/WorkingFiles.h"

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

// Reads bytes held elsewhere without copying them.
class TViewBuffer : public std::streambuf {
 public:
  explicit TViewBuffer(std::string_view bytes) {
    char* begin = const_cast<char*>(bytes.data());  // only ever read
    setg(begin, begin, begin + bytes.size());
  }

 protected:
  pos_type seekoff(off_type offset, std::ios_base::seekdir dir, std::ios_base::openmode) override {
    const off_type size = egptr() - eback();
    const off_type base = dir == std::ios_base::beg ? 0 : dir == std::ios_base::cur ? gptr() - eback() : size;
    if (offset < -base || offset > size - base) return pos_type(off_type(-1));
    setg(eback(), eback() + base + offset, egptr());
    return pos_type(base + offset);
  }
  pos_type seekpos(pos_type position, std::ios_base::openmode which) override {
    return seekoff(off_type(position), std::ios_base::beg, which);
  }
};

// Appends what is written to a string, without a second copy.
class TAppendBuffer : public std::streambuf {
 public:
  explicit TAppendBuffer(std::string& target) : FTarget(target) {}

 protected:
  std::streamsize xsputn(const char* bytes, std::streamsize count) override {
    FTarget.append(bytes, static_cast<std::size_t>(count));
    return count;
  }
  int_type overflow(int_type c) override {
    if (!traits_type::eq_int_type(c, traits_type::eof())) FTarget.push_back(traits_type::to_char_type(c));
    return traits_type::not_eof(c);
  }

 private:
  std::string& FTarget;
};

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
    const int error = errno;
    const bool written = !out.fail();
    out.close();
    // A full disk is a write error, not a file that does not decrypt.
    if (!written || out.fail()) {
      OpenDestination(destination).close();
      throw std::system_error(written || error == 0 ? EIO : error, std::generic_category(),
                              "cannot write " + destination);
    }
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
  plain.reserve(container.size());
  TViewBuffer source(container);
  TAppendBuffer sink(plain);
  std::istream in(&source);
  std::ostream out(&sink);
  TEncryption encryption(std::string(kSettingsPassword), kCryptFileBufferSize);
  if (!encryption.Decrypt(in, &out, static_cast<std::int64_t>(container.size()))) {
    plain.clear();
    return false;
  }
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
