#include "tables/TableSource.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "base/RegularFile.h"
#include "tables/TTableError.h"

namespace halvane::tables {

namespace {

using halvane::ByteSizeInWords;
using halvane::TRegularFile;

constexpr std::size_t kPiece = 1 << 20;
constexpr std::size_t kZipPiece = 64 << 10;  // inflate's output comes in small runs anyway
constexpr std::string_view kZipMagic = "PK\x03\x04";
constexpr std::string_view kEmptyZipMagic = "PK\x05\x06";

bool LooksLikeZip(std::string_view head) {
  return head.substr(0, 4) == kZipMagic || head.substr(0, 4) == kEmptyZipMagic;
}

[[noreturn]] void FailSystem(const std::string& path, const char* what) {
  throw TTableError("cannot " + std::string(what) + " " + path + ": " + std::strerror(errno));
}

// The table at path opened for reading, refused (with its name and why)
// when it is a FIFO, a device or a folder, which would make reading wait or
// never end, or bigger than any table.
TRegularFile OpenTableFile(const std::string& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) FailSystem(path, "open");
  TRegularFile file = TRegularFile::Open(path, kMaxTableFile);
  if (!file.IsOpen()) throw TTableError(file.Error());
  return file;
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

// The one file of the archive, opened for reading; index gets its number.
TZipFile OpenOnlyFile(zip_t* archive, const std::string& name, zip_uint64_t& index) {
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
  index = static_cast<zip_uint64_t>(file);
  TZipFile stream(zip_fopen_index(archive, index, 0), &zip_fclose);
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

// The zip archive in file (which it takes over).
TZip OpenZipFile(TRegularFile& file, const std::string& path) {
  int code = 0;
  const int fd = file.Release();
  TZip archive(zip_fdopen(fd, ZIP_CHECKCONS, &code), &zip_discard);
  if (!archive) {
    close(fd);
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    FailZip(path, &error);
  }
  return archive;
}

std::string Mebibytes(std::uint64_t bytes) {
  return bytes < (1u << 20) ? std::to_string(bytes >> 10) + " KiB" : std::to_string(bytes >> 20) + " MiB";
}

// Streams the one file of the archive into reader, refusing at once a file
// whose stated size is beyond the bounds, and stopping one that goes beyond
// them whatever it stated.
void ReadZip(zip_t* archive, const std::string& name, TTableReader& reader, std::uint64_t maxUnpacked) {
  zip_uint64_t index = 0;
  const TZipFile stream = OpenOnlyFile(archive, name, index);
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_stat_index(archive, index, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_COMP_SIZE)) {
    throw TTableError(name + ": the zip archive is damaged (" + zip_strerror(archive) + ")");
  }
  const std::uint64_t packed = stat.comp_size;
  const std::uint64_t byRatio = packed > maxUnpacked / kMaxUnpackRatio ? maxUnpacked : packed * kMaxUnpackRatio;
  const std::uint64_t bound = std::min(maxUnpacked, std::max(kSmallUnpacked, byRatio));
  const auto refuse = [&](std::uint64_t unpacked) {
    if (bound == maxUnpacked) {
      throw TTableError(name + ": the file in the zip archive unpacks to more than " + Mebibytes(maxUnpacked));
    }
    throw TTableError(name + ": the file in the zip archive unpacks to " + Mebibytes(unpacked) + " from " +
                      Mebibytes(packed) + ", more than " + std::to_string(kMaxUnpackRatio) +
                      " times its packed size: not a table (a zip bomb?)");
  };
  if ((stat.valid & ZIP_STAT_SIZE) && stat.size > bound) refuse(stat.size);
  std::vector<char> piece(kZipPiece);
  std::uint64_t total = 0;
  while (true) {
    const std::size_t n = ReadZipped(stream.get(), piece.data(), piece.size(), name);
    if (n == 0) break;
    total += static_cast<std::uint64_t>(n);
    if (total > bound) refuse(total);
    reader.Feed(std::string_view(piece.data(), n));
  }
  reader.Finish();
}

}  // namespace

void ReadTableFile(const std::string& path, TTableReader& reader) {
  TRegularFile file = OpenTableFile(path);
  std::vector<char> piece(kPiece);
  std::size_t n = ReadSome(file.Descriptor(), piece.data(), piece.size(), path);
  if (LooksLikeZip(std::string_view(piece.data(), n))) {
    const TZip archive = OpenZipFile(file, path);
    ReadZip(archive.get(), path, reader, kMaxUnpacked);
    return;
  }
  std::uint64_t total = 0;
  while (n > 0) {
    // A file that grows while it is read is bounded all the same.
    total += n;
    if (total > kMaxTableFile) throw TTableError(path + ": larger than " + ByteSizeInWords(kMaxTableFile) + ", the most a table may hold");
    reader.Feed(std::string_view(piece.data(), n));
    n = ReadSome(file.Descriptor(), piece.data(), piece.size(), path);
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
  TRegularFile file = OpenTableFile(path);
  std::vector<char> head(TTableReader::kMaxLine + 1);
  const std::size_t n = ReadSome(file.Descriptor(), head.data(), head.size(), path);
  std::string_view text(head.data(), n);
  if (LooksLikeZip(text)) {
    const TZip archive = OpenZipFile(file, path);
    zip_uint64_t index = 0;
    const TZipFile stream = OpenOnlyFile(archive.get(), path, index);
    text = std::string_view(head.data(), ReadZipped(stream.get(), head.data(), head.size(), path));
  }
  std::string_view line = text.substr(0, text.find('\n'));
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return TTableReader::KindOfFirstLine(line);
}

}  // namespace halvane::tables
