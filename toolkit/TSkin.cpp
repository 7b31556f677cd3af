#include "TSkin.h"

#include <zlib.h>

#include <QApplication>
#include <QStyleFactory>

#include <fstream>
#include <iterator>

namespace halvane {

extern const unsigned char kBuiltInSkin[];
extern const std::size_t kBuiltInSkinSize;

std::string TSkin::Decompress(std::string_view packed) {
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return {};
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
  stream.avail_in = static_cast<uInt>(packed.size());
  std::string out;
  char chunk[16384];
  int status = Z_OK;
  while (status == Z_OK) {
    stream.next_out = reinterpret_cast<Bytef*>(chunk);
    stream.avail_out = sizeof chunk;
    status = inflate(&stream, Z_NO_FLUSH);
    if (status != Z_OK && status != Z_STREAM_END) break;
    const std::size_t produced = sizeof chunk - stream.avail_out;
    if (out.size() + produced > kMaxSkinBytes) {
      status = Z_MEM_ERROR;
      break;
    }
    out.append(chunk, produced);
    if (status == Z_OK && produced == 0 && stream.avail_in == 0) break;  // truncated stream
  }
  inflateEnd(&stream);
  if (status != Z_STREAM_END) return {};
  return out;
}

QString TSkin::BuiltInStyleSheet() {
  const std::string sheet =
      Decompress(std::string_view(reinterpret_cast<const char*>(kBuiltInSkin), kBuiltInSkinSize));
  return QString::fromUtf8(sheet.data(), static_cast<qsizetype>(sheet.size()));
}

QString TSkin::LoadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  // A packed skin is never larger than its inflated limit.
  std::string packed;
  packed.resize(kMaxSkinBytes + 1);
  in.read(packed.data(), static_cast<std::streamsize>(packed.size()));
  packed.resize(static_cast<std::size_t>(in.gcount()));
  if (packed.size() > kMaxSkinBytes) return {};
  const std::string sheet = Decompress(packed);
  return QString::fromUtf8(sheet.data(), static_cast<qsizetype>(sheet.size()));
}

void TSkin::Apply(const QString& styleSheet) {
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
    // The sheet draws on top of Fusion, which looks the same everywhere.
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) QApplication::setStyle(fusion);
    app->setStyleSheet(styleSheet);
  }
}

void TSkin::ApplyBuiltIn() { Apply(BuiltInStyleSheet()); }

bool TSkin::ApplyFile(const std::string& path) {
  const QString sheet = LoadFile(path);
  if (sheet.isEmpty()) return false;
  Apply(sheet);
  return true;
}

}  // namespace halvane
