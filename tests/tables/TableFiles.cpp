#include "tests/tables/TableFiles.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <zip.h>

#include <algorithm>
#include <cstring>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace halvane::tables::test {

TTempDir::TTempDir() {
  std::string pattern = ::testing::TempDir() + "halvane_tables_XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  FPath = pattern;
}

TTempDir::~TTempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(FPath, ignored);
}

void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

namespace {

struct TRepeatedLine {
  std::string Line;
  std::uint64_t Times;
  std::uint64_t Given = 0;  // bytes handed to libzip
  zip_error_t Error{};       // never set: reading cannot fail
};

zip_int64_t ReadRepeatedLine(void* state, void* data, zip_uint64_t size, zip_source_cmd_t command) {
  auto* source = static_cast<TRepeatedLine*>(state);
  const std::uint64_t total = source->Line.size() * source->Times;
  switch (command) {
    case ZIP_SOURCE_OPEN:
      source->Given = 0;
      return 0;
    case ZIP_SOURCE_READ: {
      const std::uint64_t n = std::min<std::uint64_t>(size, total - source->Given);
      auto* out = static_cast<char*>(data);
      for (std::uint64_t done = 0; done < n;) {
        const std::size_t at = (source->Given + done) % source->Line.size();
        const std::size_t part = std::min<std::uint64_t>(source->Line.size() - at, n - done);
        std::memcpy(out + done, source->Line.data() + at, part);
        done += part;
      }
      source->Given += n;
      return static_cast<zip_int64_t>(n);
    }
    case ZIP_SOURCE_STAT: {
      auto* stat = static_cast<zip_stat_t*>(data);
      zip_stat_init(stat);
      stat->size = total;
      stat->valid |= ZIP_STAT_SIZE;
      return sizeof *stat;
    }
    case ZIP_SOURCE_FREE:
      delete source;
      return 0;
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                            ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_SUPPORTS, -1);
    case ZIP_SOURCE_CLOSE:
      return 0;
    case ZIP_SOURCE_ERROR:
      return zip_error_to_data(&source->Error, data, size);
    default:
      return -1;
  }
}

}  // namespace

void WriteRepeatedLineZip(const std::string& path, std::string_view line, std::uint64_t times) {
  int code = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  if (!archive) throw std::runtime_error("cannot create " + path);
  zip_source_t* source = zip_source_function(archive, ReadRepeatedLine, new TRepeatedLine{std::string(line), times, 0, {}});
  if (!source || zip_file_add(archive, "lines.csv", source, 0) < 0) {
    if (source) zip_source_free(source);
    zip_discard(archive);
    throw std::runtime_error("cannot add to " + path);
  }
  if (zip_close(archive) != 0) {
    zip_discard(archive);
    throw std::runtime_error("cannot write " + path);
  }
}

std::string DataFile(std::string_view name) { return std::string(HALVANE_TEST_DATA) + "/tables/" + std::string(name); }

}  // namespace halvane::tables::test
