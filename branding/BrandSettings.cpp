#include "branding/BrandSettings.h"

#include <cerrno>
#include <system_error>
#include <tuple>
#include <utility>

#include "branding/CryptFile.h"
#include "base/MarkerScan.h"
#include "base/TextScan.h"
#include "branding/TWorkingCopy.h"
#include "branding/WorkingFiles.h"

namespace halvane {
namespace {

constexpr std::string_view kLastNewsOpen = "<%%LastNewsId%%>";
constexpr std::string_view kLastNewsClose = "<%%/LastNewsId%%>";

std::string OpenTag(std::string_view name) { return std::string("<%%").append(name).append("%%>"); }
std::string CloseTag(std::string_view name) { return std::string("<%%/").append(name).append("%%>"); }

// Reads the next entry of that name from the shared scan position.
std::string ReadEntry(std::string_view& scan, std::string_view name) {
  return ExtractBetween(scan, OpenTag(name), CloseTag(name));
}

std::vector<std::string> ReadFamily(std::string_view& scan, std::string_view name) {
  std::vector<std::string> values;
  for (std::size_t n = 1; n <= kMaxFamilyMembers; ++n) {
    std::string value = ReadEntry(scan, std::string(name) + std::to_string(n));
    if (value.empty()) break;
    values.push_back(std::move(value));
  }
  return values;
}

// One pass into a new string: replacing in place moves the tail at every
// hit, which is quadratic in the number of hits. A result over limit bytes
// (a long id times many placeholders) is no address: it comes back empty.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to, std::size_t limit) {
  std::size_t hits = 0;
  for (std::size_t at = text.find(from); at != std::string_view::npos; at = text.find(from, at + from.size())) ++hits;
  if (text.size() > limit) return {};
  if (hits != 0 && to.size() > from.size() && (limit - text.size()) / hits < to.size() - from.size()) return {};
  std::string result;
  result.reserve(text.size() - hits * from.size() + hits * to.size());
  std::size_t start = 0;
  for (std::size_t at; (at = text.find(from, start)) != std::string_view::npos; start = at + from.size()) {
    result.append(text, start, at - start).append(to);
  }
  return result.append(text, start);
}

// Splits a family value at "^": the first field, then the second (empty when
// there is none).
std::pair<std::string, std::string> TwoFields(const std::string& value) {
  std::vector<std::string> parts;
  SplitString('^', value, parts);
  return {parts.size() > 0 ? parts[0] : std::string(), parts.size() > 1 ? parts[1] : std::string()};
}

enum class TSettingsRead { NoFile, NotDecryptable, Plain };

// Decrypts the settings file through its working copy, which is gone again
// when this returns or throws.
TSettingsRead DecryptSettings(const std::string& folder, std::string& plain) {
  plain.clear();
  const std::string container = folder + std::string(kSettingsFileName);
  if (!FileExists(container)) return TSettingsRead::NoFile;
  if (FileSizeOf(container) > kMaxSettingsFileBytes) return TSettingsRead::NotDecryptable;
  // Only an authenticated plain text reaches the working copy.
  std::string decrypted;
  const bool authentic = DecryptSettingsBytes(ReadWholeFile(container), decrypted);
  try {
    TWorkingCopy copy(folder + std::string(kWorkingCopyName));
    if (authentic) {
      copy.Write(decrypted);
      plain = copy.ReadAll();
    }
  } catch (const std::system_error&) {
    // An installation folder the user may not write to still has its
    // settings read, in memory.
    if (authentic) plain = std::move(decrypted);
  }
  return authentic ? TSettingsRead::Plain : TSettingsRead::NotDecryptable;
}

bool SafeNewsId(std::string_view id) {
  return id.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos &&
         id.find("<%%") == std::string_view::npos;
}

}  // namespace

std::vector<std::string> SplitSettingsLines(std::string_view text) {
  const std::size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::string JoinSettingsLines(const std::vector<std::string>& lines) {
  std::size_t length = 0;
  for (const std::string& line : lines) length += line.size() + 2;
  std::string text;
  text.reserve(length);
  for (const std::string& line : lines) text.append(line).append("\r\n");
  return text;
}

std::string NormalizeSettingsText(std::string_view text) {
  const std::size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  // Sized in a first pass: a lone CR or LF grows into CR LF.
  std::size_t size = text.size();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    else if (text[i] == '\r' || text[i] == '\n') ++size;
  }
  if (!text.empty() && text.back() != '\r' && text.back() != '\n') size += 2;
  std::string normal;
  normal.reserve(size);
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    normal.append(text, start, i - start).append("\r\n");
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) normal.append(text, start).append("\r\n");
  return normal;
}

TBrandDocument ReadBrandDocument(std::string_view plainText) { return ScanBrandDocument(NormalizeSettingsText(plainText)); }

TBrandDocument ConsumeBrandDocument(std::string plainText) {
  std::string text = NormalizeSettingsText(plainText);
  std::string().swap(plainText);
  return ScanBrandDocument(std::move(text));
}

TBrandDocument ScanBrandDocument(std::string text) {
  std::string_view scan = text;
  TBrandDocument document;
  TBrandSettings& s = document.Settings;
  s.ApplicationName = ReadEntry(scan, "ApplicationName");
  s.BranderCode = ReadEntry(scan, "BranderCode");
  s.BranderType = ReadEntry(scan, "BranderType");
  const std::string affiliateUrl = ReadEntry(scan, "AffiliateURL");
  ReadEntry(scan, "AffiliateTYPE");  // only moves the scan on
  const std::string affiliateId = ReadEntry(scan, "AffiliateID");
  s.MasterNewsBaseURL = ReadEntry(scan, "MasterNewsBaseURL");
  s.PlatinumNewsBaseURL = ReadEntry(scan, "PlatinumNewsBaseURL");
  s.GoldNewsBaseURL = ReadEntry(scan, "GoldNewsBaseURL");
  s.MasterPublID = ReadEntry(scan, "MasterPublID");
  s.PlatinumPublID = ReadEntry(scan, "PlatinumPublID");
  s.GoldPublID = ReadEntry(scan, "GoldPublID");
  s.MakeMoneyCaption = ReadEntry(scan, "MakeMoneyButton");
  s.AppHelpURL = ReadEntry(scan, "AppHelpURL");
  s.CopyrightYears = ReadEntry(scan, "CopyrightYears");
  s.CopyrightCompany = ReadEntry(scan, "CopyrightCompany");
  s.AboutText = ReadEntry(scan, "AboutText");
  if (s.MakeMoneyCaption.empty()) s.MakeMoneyCaption = kDefaultMakeMoneyCaption;
  document.Welcome = ReadFamily(scan, "Welcome");
  document.Banner = ReadFamily(scan, "Banner");
  document.Link = ReadFamily(scan, "Link");
  // The text goes before the substitution makes its (possibly large) result.
  std::string().swap(text);
  s.AffiliateURL = ReplaceAll(affiliateUrl, kAffiliatePlaceholder, affiliateId, kMaxSettingsFileBytes);
  return document;
}

void ChooseBrandEntries(TBrandDocument& document, TBrandRandom& random) {
  TBrandSettings& s = document.Settings;
  if (!document.Welcome.empty()) {
    s.WelcomeHtml = document.Welcome[random.Pick(document.Welcome.size())];
  }
  if (!document.Banner.empty()) {
    const std::size_t i = random.Pick(document.Banner.size());
    std::tie(s.BannerFile, s.BannerURL) = TwoFields(document.Banner[i]);
    s.BannerNumber = static_cast<int>(i + 1);
  }
  std::vector<std::string> links = document.Link;
  if (!links.empty()) {
    const std::size_t i = random.Pick(links.size());
    std::tie(s.Link1Caption, s.Link1URL) = TwoFields(links[i]);
    links.erase(links.begin() + static_cast<std::ptrdiff_t>(i));
  }
  if (!links.empty()) {
    std::tie(s.Link2Caption, s.Link2URL) = TwoFields(links[random.Pick(links.size())]);
  }
}

std::string FindLastNewsId(std::string_view plainText) {
  const std::string text = NormalizeSettingsText(plainText);
  std::string_view scan = text;
  return ExtractBetween(scan, kLastNewsOpen, kLastNewsClose);
}

void SetLastNewsIdLine(std::vector<std::string>& lines, std::string_view id) {
  std::string entry = std::string(kLastNewsOpen).append(id).append(kLastNewsClose);
  for (std::string& line : lines) {
    const std::size_t open = FindNoCase(line, kLastNewsOpen);
    if (open == std::string::npos) continue;
    // Text around the entry on its line (another entry's end, say) stays.
    const std::size_t close = FindNoCase(line, kLastNewsClose, open + kLastNewsOpen.size());
    const std::string after = close == std::string::npos ? std::string()
                                                         : line.substr(close + kLastNewsClose.size());
    line = line.substr(0, open).append(entry).append(after);
    return;
  }
  lines.push_back(std::move(entry));
}

bool LoadBrandSettings(const std::string& programFolder, TBrandSettings& settings) {
  return LoadBrandSettings(programFolder, settings, ProgramBrandRandom());
}

bool LoadBrandSettings(const std::string& programFolder, TBrandSettings& settings,
                       TBrandRandom& random) {
  settings = TBrandSettings{};
  std::string plain;
  if (DecryptSettings(programFolder, plain) == TSettingsRead::NoFile) return false;
  TBrandDocument document = ReadBrandDocument(plain);
  ChooseBrandEntries(document, random);
  settings = std::move(document.Settings);
  return true;
}

bool NewsButtonShown(const TBrandSettings& s) {
  const auto both = [](const std::string& publisher, const std::string& base) {
    return !publisher.empty() && !base.empty();
  };
  if (s.BranderType == "Master" || s.BranderType == "Free") return both(s.MasterPublID, s.MasterNewsBaseURL);
  if (s.BranderType == "Platinum") return both(s.PlatinumPublID, s.PlatinumNewsBaseURL);
  if (s.BranderType == "Gold") return both(s.GoldPublID, s.GoldNewsBaseURL);
  return false;
}

std::string ReadLastNewsId(const std::string& programFolder) {
  std::string plain;
  if (DecryptSettings(programFolder, plain) != TSettingsRead::Plain) return {};
  return FindLastNewsId(plain);
}

void WriteLastNewsId(const std::string& programFolder, std::string_view id) {
  if (!SafeNewsId(id)) return;
  std::string plain;
  if (DecryptSettings(programFolder, plain) != TSettingsRead::Plain) return;
  std::vector<std::string> lines = SplitSettingsLines(plain);
  SetLastNewsIdLine(lines, id);

  const std::string container = programFolder + std::string(kSettingsFileName);
  TWorkingCopy copy(programFolder + std::string(kWorkingCopyName));
  copy.Write(JoinSettingsLines(lines));
  std::string encrypted;
  if (!EncryptSettingsBytes(copy.ReadAll(), encrypted)) {
    throw std::system_error(EIO, std::generic_category(), "cannot encrypt " + container);
  }
  ReplaceFileThrough(container, [&](const std::string& temporary) {
    WriteWholeFile(temporary, encrypted);
    return true;
  });
}

}  // namespace halvane
