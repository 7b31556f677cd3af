#pragma once
// Which picture formats a banner may have: the program decodes a banner
// file by the extension of the file name its settings entry gives.
#include <string>
#include <string_view>

namespace halvane {

// The decoder's name for the extension of fileName ("jpeg" for .jpg and
// .jpeg, "gif", "bmp", "ico", "png"); empty when the program has none for it
// (metafiles among them).
std::string BannerFormatForExtension(std::string_view fileName);

// The format the program shows the banner file of that entry name in: an
// animation when the name holds ".gif" anywhere (any case), otherwise by
// extension. Empty when it cannot show it.
std::string BannerFormatForName(std::string_view fileName);

}  // namespace halvane
