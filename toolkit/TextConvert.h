#pragma once
// The only crossing between the program's byte strings and Qt's text: a
// valid UTF-8 text shows as UTF-8, anything else as the system code page.
#include <QString>

#include <string>
#include <string_view>

namespace halvane {

QString ToQString(std::string_view bytes);

// Text the user typed or the widgets hold, back as code-page bytes.
std::string FromQString(const QString& text);

// File names are handed to the file system in its own encoding.
std::string PathFromQString(const QString& path);
QString PathToQString(const std::string& path);

}  // namespace halvane
