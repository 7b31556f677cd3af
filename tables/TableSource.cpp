#include "tables/TableSource.h"

#include <fcntl.h>
#include <unistd.h>
#include <zip.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "tables/TTableError.h"

namespace halvane::tables {

namespace {

constexpr std::size_t kPiece = 1 << 20;
constexpr std::size_t kZipPiece = 64 << 10;  // inflate's output comes in small runs anyway
constexpr std::string_view kZipMagic = "PK\x03\x04";
constexpr std::string_view kEmptyZipMagic = "PK\x05\x06";

bool LooksLikeZip(std::string_view head) {
  return head.substr(0, 4) == kZipMagic || head.substr(0, 4) == kEmptyZipMagic;
}

struct TFd {
  int Fd;
  ~TFd() {
    if (Fd >= 0) close(Fd);
  }
};

[[noreturn]] void FailSystem(const std::string& path, const char* what) {
  throw TTableError("cannot " + std::string(what) + " " + path + ": " + std::strerror(errno));
}

// Reads up to size bytes; fewer only at the end of the file.
std::size_t ReadSome(int fd, char* data, std::size_t size, const std::string& path) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = read(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) FailSystem(path, "read");
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

using TZip = std::unique_ptr<zip_t, decltype(&zip_discard)>;

[[noreturn]] void FailZip(const std::string& name, zip_error_t* error) {
  const std::string message = zip_error_strerror(error);
  zip_error_fini(error);
  throw TTableError(name + ": not a readable zip archive (" + message + ")");
}

using TZipFile = std::unique_ptr<zip_file_t, decltype(&zip_fclose)>;

// The one file of the archive, opened for reading.
TZipFile OpenOnlyFile(zip_t* archive, const std::string& name) {
  const zip_int64_t count = zip_get_num_entries(archive, 0);
  zip_int64_t file = -1;
  zip_int64_t files = 0;
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* entry = zip_get_name(archive, static_cast<zip_uint64_t>(i), 0);
    const std::string_view entryName = entry ? entry : "";
    if (!entryName.empty() && entryName.back() == '/') continue;
    ++files;
    file = i;
  }
  if (files != 1) {
    throw TTableError(name + ": the zip archive holds " + std::to_string(files) + " files; expected one CSV file");
  }
  TZipFile stream(zip_fopen_index(archive, static_cast<zip_uint64_t>(file), 0), &zip_fclose);
  if (!stream) throw TTableError(name + ": cannot open the file in the zip archive (" + zip_strerror(archive) + ")");
  return stream;
}

// Reads up to size bytes from stream; fewer only at its end.
std::size_t ReadZipped(zip_file_t* stream, char* data, std::size_t size, const std::string& name) {
  std::size_t done = 0;
  while (done < size) {
    const zip_int64_t n = zip_fread(stream, data + done, size - done);
    if (n < 0) throw TTableError(name + ": the zip archive is damaged (" + zip_file_strerror(stream) + ")");
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

TZip OpenZipFile(const std::string& path) {
  int code = 0;
  TZip archive(zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code), &zip_discard);
  if (!archive) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    FailZip(path, &error);
  }
  return archive;
}

// Streams the one file of the archive into reader.
void ReadZip(zip_t* archive, const std::string& name, TTableReader& reader, std::uint64_t maxUnpacked) {
  const TZipFile stream = OpenOnlyFile(archive, name);
  std::vector<char> piece(kZipPiece);
  std::uint64_t total = 0;
  while (true) {
    const std::size_t n = ReadZipped(stream.get(), piece.data(), piece.size(), name);
    if (n == 0) break;
    total += static_cast<std::uint64_t>(n);
    if (total > maxUnpacked) {
      throw TTableError(name + ": the file in the zip archive unpacks to more than " +
                        std::to_string(maxUnpacked >> 20) + " MiB");
    }
    reader.Feed(std::string_view(piece.data(), n));
  }
  reader.Finish();
}

}  // namespace

void ReadTableFile(const std::string& path, TTableReader& reader) {
  const TFd fd{open(path.c_str(), O_RDONLY | O_CLOEXEC)};
  if (fd.Fd < 0) FailSystem(path, "open");
  std::vector<char> piece(kPiece);
  std::size_t n = ReadSome(fd.Fd, piece.data(), piece.size(), path);
  if (LooksLikeZip(std::string_view(piece.data(), n))) {
    const TZip archive = OpenZipFile(path);
    ReadZip(archive.get(), path, reader, kMaxUnpacked);
    return;
  }
  while (n > 0) {
    reader.Feed(std::string_view(piece.data(), n));
    n = ReadSome(fd.Fd, piece.data(), piece.size(), path);
  }
  reader.Finish();
}

void ReadTableBytes(std::string_view bytes, const std::string& name, TTableReader& reader, std::uint64_t maxUnpacked) {
  if (!LooksLikeZip(bytes)) {
    reader.Feed(bytes);
    reader.Finish();
    return;
  }
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
  if (!source) FailZip(name, &error);
  const TZip archive(zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error), &zip_discard);
  if (!archive) {
    zip_source_free(source);
    FailZip(name, &error);
  }
  zip_error_fini(&error);
  ReadZip(archive.get(), name, reader, maxUnpacked);
}

TTableKind DetectTableKind(const std::string& path) {
  const TFd fd{open(path.c_str(), O_RDONLY | O_CLOEXEC)};
  if (fd.Fd < 0) FailSystem(path, "open");
  std::vector<char> head(TTableReader::kMaxLine + 1);
  const std::size_t n = ReadSome(fd.Fd, head.data(), head.size(), path);
  std::string_view text(head.data(), n);
  if (LooksLikeZip(text)) {
    const TZip archive = OpenZipFile(path);
    const TZipFile stream = OpenOnlyFile(archive.get(), path);
    text = std::string_view(head.data(), ReadZipped(stream.get(), head.data(), head.size(), path));
  }
  std::string_view line = text.substr(0, text.find('\n'));
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return TTableReader::KindOfFirstLine(line);
}

}  // namespace halvane::tables
