#include "pagetest/CharsetLabels.h"

#include <array>

#include "pagetest/PageText.h"

namespace halvane::pagetest {

namespace {

// Each encoding with its labels, blank-separated.
struct TEncoding {
  std::string_view Name;
  std::string_view Converter;
  std::string_view Labels;
};

constexpr std::array kEncodings{
    TEncoding{"UTF-8", "UTF-8", "unicode-1-1-utf-8 unicode11utf8 unicode20utf8 utf-8 utf8 x-unicode20utf8"},
    TEncoding{"IBM866", "IBM866", "866 cp866 csibm866 ibm866"},
    TEncoding{"ISO-8859-2", "ISO-8859-2",
              "csisolatin2 iso-8859-2 iso-ir-101 iso8859-2 iso88592 iso_8859-2 iso_8859-2:1987 l2 latin2"},
    TEncoding{"ISO-8859-3", "ISO-8859-3",
              "csisolatin3 iso-8859-3 iso-ir-109 iso8859-3 iso88593 iso_8859-3 iso_8859-3:1988 l3 latin3"},
    TEncoding{"ISO-8859-4", "ISO-8859-4",
              "csisolatin4 iso-8859-4 iso-ir-110 iso8859-4 iso88594 iso_8859-4 iso_8859-4:1988 l4 latin4"},
    TEncoding{"ISO-8859-5", "ISO-8859-5",
              "csisolatincyrillic cyrillic iso-8859-5 iso-ir-144 iso8859-5 iso88595 iso_8859-5 iso_8859-5:1988"},
    TEncoding{"ISO-8859-6", "ISO-8859-6",
              "arabic asmo-708 csiso88596e csiso88596i csisolatinarabic ecma-114 iso-8859-6 iso-8859-6-e "
              "iso-8859-6-i iso-ir-127 iso8859-6 iso88596 iso_8859-6 iso_8859-6:1987"},
    TEncoding{"ISO-8859-7", "ISO-8859-7",
              "csisolatingreek ecma-118 elot_928 greek greek8 iso-8859-7 iso-ir-126 iso8859-7 iso88597 "
              "iso_8859-7 iso_8859-7:1987 sun_eu_greek"},
    TEncoding{"ISO-8859-8", "ISO-8859-8",
              "csiso88598e csisolatinhebrew hebrew iso-8859-8 iso-8859-8-e iso-ir-138 iso8859-8 iso88598 "
              "iso_8859-8 iso_8859-8:1988 visual"},
    TEncoding{"ISO-8859-8-I", "ISO-8859-8", "csiso88598i iso-8859-8-i logical"},
    TEncoding{"ISO-8859-10", "ISO-8859-10", "csisolatin6 iso-8859-10 iso-ir-157 iso8859-10 iso885910 l6 latin6"},
    TEncoding{"ISO-8859-13", "ISO-8859-13", "iso-8859-13 iso8859-13 iso885913"},
    TEncoding{"ISO-8859-14", "ISO-8859-14", "iso-8859-14 iso8859-14 iso885914"},
    TEncoding{"ISO-8859-15", "ISO-8859-15", "csisolatin9 iso-8859-15 iso8859-15 iso885915 iso_8859-15 l9"},
    TEncoding{"ISO-8859-16", "ISO-8859-16", "iso-8859-16"},
    TEncoding{"KOI8-R", "KOI8-R", "cskoi8r koi koi8 koi8-r koi8_r"},
    TEncoding{"KOI8-U", "KOI8-U", "koi8-ru koi8-u"},
    TEncoding{"macintosh", "MACINTOSH", "csmacintosh mac macintosh x-mac-roman"},
    TEncoding{"windows-874", "CP874", "dos-874 iso-8859-11 iso8859-11 iso885911 tis-620 windows-874"},
    TEncoding{"windows-1250", "CP1250", "cp1250 windows-1250 x-cp1250"},
    TEncoding{"windows-1251", "CP1251", "cp1251 windows-1251 x-cp1251"},
    TEncoding{"windows-1252", "CP1252",
              "ansi_x3.4-1968 ascii cp1252 cp819 csisolatin1 ibm819 iso-8859-1 iso-ir-100 iso8859-1 iso88591 "
              "iso_8859-1 iso_8859-1:1987 l1 latin1 us-ascii windows-1252 x-cp1252"},
    TEncoding{"windows-1253", "CP1253", "cp1253 windows-1253 x-cp1253"},
    TEncoding{"windows-1254", "CP1254",
              "cp1254 csisolatin5 iso-8859-9 iso-ir-148 iso8859-9 iso88599 iso_8859-9 iso_8859-9:1989 l5 "
              "latin5 windows-1254 x-cp1254"},
    TEncoding{"windows-1255", "CP1255", "cp1255 windows-1255 x-cp1255"},
    TEncoding{"windows-1256", "CP1256", "cp1256 windows-1256 x-cp1256"},
    TEncoding{"windows-1257", "CP1257", "cp1257 windows-1257 x-cp1257"},
    TEncoding{"windows-1258", "CP1258", "cp1258 windows-1258 x-cp1258"},
    TEncoding{"x-mac-cyrillic", "MAC-CYRILLIC", "x-mac-cyrillic x-mac-ukrainian"},
    TEncoding{"GBK", "GBK",
              "chinese csgb2312 csiso58gb231280 gb2312 gb_2312 gb_2312-80 gbk iso-ir-58 x-gbk"},
    TEncoding{"gb18030", "GB18030", "gb18030"},
    TEncoding{"Big5", "BIG5-HKSCS", "big5 big5-hkscs cn-big5 csbig5 x-x-big5"},
    TEncoding{"EUC-JP", "EUC-JP", "cseucpkdfmtjapanese euc-jp x-euc-jp"},
    TEncoding{"ISO-2022-JP", "ISO-2022-JP", "csiso2022jp iso-2022-jp"},
    TEncoding{"Shift_JIS", "CP932",
              "csshiftjis ms932 ms_kanji shift-jis shift_jis sjis windows-31j x-sjis"},
    TEncoding{"EUC-KR", "CP949",
              "cseuckr csksc56011987 euc-kr iso-ir-149 korean ks_c_5601-1987 ks_c_5601-1989 ksc5601 "
              "ksc_5601 windows-949"},
    TEncoding{"replacement", "",
              "csiso2022kr hz-gb-2312 iso-2022-cn iso-2022-cn-ext iso-2022-kr replacement"},
    TEncoding{"UTF-16BE", "UTF-16BE", "unicodefffe utf-16be"},
    TEncoding{"UTF-16LE", "UTF-16LE", "csunicode iso-10646-ucs-2 ucs-2 unicode unicodefeff utf-16 utf-16le"},
    TEncoding{"x-user-defined", "", "x-user-defined"},
};

bool ListHolds(std::string_view labels, std::string_view label) noexcept {
  std::size_t at = 0;
  while (at < labels.size()) {
    std::size_t end = labels.find(' ', at);
    if (end == std::string_view::npos) end = labels.size();
    if (labels.substr(at, end - at) == label) return true;
    at = end + 1;
  }
  return false;
}

}  // namespace

std::string_view EncodingOfLabel(std::string_view label) noexcept {
  label = TrimHtmlSpace(label);
  // The longest label has 19 bytes; longer text names nothing.
  char lower[24];
  if (label.empty() || label.size() >= sizeof lower) return {};
  for (std::size_t i = 0; i < label.size(); ++i) {
    const char c = label[i];
    if (c == ' ') return {};
    lower[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  const std::string_view wanted(lower, label.size());
  for (const TEncoding& encoding : kEncodings) {
    if (ListHolds(encoding.Labels, wanted)) return encoding.Name;
  }
  return {};
}

std::string_view ConverterName(std::string_view encoding) noexcept {
  for (const TEncoding& known : kEncodings) {
    if (known.Name == encoding) return known.Converter;
  }
  return {};
}

}  // namespace halvane::pagetest
