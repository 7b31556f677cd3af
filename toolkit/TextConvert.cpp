#include "toolkit/TextConvert.h"

#include <QFile>

#include "platform/CodePage.h"

namespace halvane {

QString ToQString(std::string_view bytes) {
  const std::string utf8 = platform::BytesToUtf8(bytes);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string FromQString(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  return platform::Utf8ToAnsi(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

std::string PathFromQString(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString PathToQString(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

}  // namespace halvane
