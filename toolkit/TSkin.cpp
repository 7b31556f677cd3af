#include "toolkit/TSkin.h"

#include <QApplication>
#include <QStyleFactory>

#include <fstream>
#include <iterator>

#include "branding/SkinFile.h"

namespace halvane {

extern const unsigned char kBuiltInSkin[];
extern const std::size_t kBuiltInSkinSize;

std::string TSkin::Decompress(std::string_view packed) { return DecompressSkin(packed); }

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
