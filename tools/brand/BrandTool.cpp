#include "tools/brand/BrandTool.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <exception>
#include <algorithm>
#include <ostream>
#include <sstream>
#include <utility>

#include "branding/BannerFormat.h"
#include "branding/BrandSettings.h"
#include "branding/CryptFile.h"
#include "branding/SkinFile.h"
#include "branding/WorkingFiles.h"

namespace halvane {
namespace {

constexpr std::string_view kUsage =
    "usage: halvane-brand encrypt PLAIN OUT   encrypt a settings document into a settings file\n"
    "       halvane-brand decrypt IN OUT      decrypt a settings file\n"
    "       halvane-brand show IN             print what the program reads from a settings file\n"
    "       halvane-brand template            print an example settings document\n"
    "       halvane-brand skin STYLE OUT      compress a style sheet into a skin file\n";

constexpr std::string_view kTemplate =
    R"(Settings document of a branded edition.

How to use it: edit the values between the tags, keep every entry where it
stands, then make the settings file with
    halvane-brand encrypt this-file dbsettings.dat
and put dbsettings.dat beside the program. Check it with
    halvane-brand show dbsettings.dat

Only the tagged entries are read; lines like these are ignored. The entries
are read in the order below, and one that stands before an entry above it is
not found. A value is everything between its two tags, spaces and line
breaks included, so keep the tags tight around it; a value may span lines.
An empty or missing entry reads as empty.

== Product
Product name, shown in the window caption and the about window.
<%%ApplicationName%%>Example Link Finder<%%/ApplicationName%%>
Your brander code, sent with news requests.
<%%BranderCode%%>1001<%%/BranderCode%%>
Tier: Master, Platinum, Gold or Free, spelt exactly so. Anything else
means no news.
<%%BranderType%%>Gold<%%/BranderType%%>

== Make Money button
Address the button opens; every %%AFFILIATEID%% in it is replaced by the
affiliate id below.
<%%AffiliateURL%%>http://shop.example.com/?affiliate=%%AFFILIATEID%%<%%/AffiliateURL%%>
Affiliate programme type, for your records only.
<%%AffiliateTYPE%%>standard<%%/AffiliateTYPE%%>
<%%AffiliateID%%>example42<%%/AffiliateID%%>

== News servers and publisher identities of the tiers
The News button shows when the tier's base address and publisher identity
are both set (the Free tier uses the Master pair).
<%%MasterNewsBaseURL%%>http://news.example.com/master/<%%/MasterNewsBaseURL%%>
<%%PlatinumNewsBaseURL%%>http://news.example.com/platinum/<%%/PlatinumNewsBaseURL%%>
<%%GoldNewsBaseURL%%>http://news.example.com/gold/<%%/GoldNewsBaseURL%%>
<%%MasterPublID%%>M-1001<%%/MasterPublID%%>
<%%PlatinumPublID%%>P-1001<%%/PlatinumPublID%%>
<%%GoldPublID%%>G-1001<%%/GoldPublID%%>

== Buttons and about window
Caption of the Make Money button ("Make Money" when empty).
<%%MakeMoneyButton%%>Earn With Us<%%/MakeMoneyButton%%>
Address the Help button opens.
<%%AppHelpURL%%>http://www.example.com/help/<%%/AppHelpURL%%>
<%%CopyrightYears%%>2009-2011<%%/CopyrightYears%%>
<%%CopyrightCompany%%>Example Publishing Ltd<%%/CopyrightCompany%%>
<%%AboutText%%>Example Link Finder finds blogs that welcome your comments.
Thank you for using it.<%%/AboutText%%>

== Welcome pages (HTML), Welcome1 to Welcome16
One is chosen at random at each start. Number them from 1 without gaps.
<%%Welcome1%%><html><body><h1>Welcome</h1><p>Type a keyword and press Search.</p></body></html><%%/Welcome1%%>
<%%Welcome2%%><html><body><h1>Hello again</h1><p>New: export your results to CSV.</p></body></html><%%/Welcome2%%>

== Banners, Banner1 to Banner16: picture file name ^ click address
Banner n shows the picture in the file bannern.dat beside the program; the
name's extension (.gif, .jpg, .jpeg, .png, .bmp, .ico) tells its format.
One banner is chosen at random.
<%%Banner1%%>summer.gif^http://www.example.com/offer/<%%/Banner1%%>
<%%Banner2%%>partner.jpg^http://partner.example.net/<%%/Banner2%%>

== Links, Link1 to Link16: caption ^ address
Two different ones are chosen at random.
<%%Link1%%>Forum^http://forum.example.com/<%%/Link1%%>
<%%Link2%%>Tutorials^http://www.example.com/tutorials/<%%/Link2%%>
<%%Link3%%>Blog^http://blog.example.com/<%%/Link3%%>

== Last news item seen
Leave it empty: the program keeps it up to date. It must stay on a line
of its own.
<%%LastNewsId%%><%%/LastNewsId%%>
)";

// A file name for a message: control bytes escaped.
std::string Shown(std::string_view value) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  text.reserve(value.size());
  for (const char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      text += c;
    } else {
      text.append("\\x").push_back(kHex[byte >> 4]);
      text.push_back(kHex[byte & 15]);
    }
  }
  return text;
}

// Written straight to the stream, in runs between line breaks: a value may
// be megabytes long, and no copy of it is made.
void Field(std::ostream& report, std::string_view name, std::string_view value) {
  report << name << ": ";
  while (!value.empty()) {
    const std::size_t brk = value.find_first_of("\r\n");
    report.write(value.data(), static_cast<std::streamsize>(std::min(brk, value.size())));
    if (brk == std::string_view::npos) break;
    report << (value[brk] == '\r' ? "\\r" : "\\n");
    value.remove_prefix(brk + 1);
  }
  report << "\n";
}

void Family(std::ostream& report, std::string_view name, const std::vector<std::string>& values) {
  for (std::size_t i = 0; i < values.size(); ++i) Field(report, std::string(name) + std::to_string(i + 1), values[i]);
}

int Fail(std::ostream& err, const std::string& message) {
  err << "halvane-brand: " << message << "\n";
  return 1;
}

std::string NotAuthentic(const std::string& path) {
  return path + ": does not decrypt: the password verifier or the authentication code does not match "
                "(not a settings file of this program, truncated, or altered)";
}

// Reads the file as the program does, within the program's size cap, and
// holds at most about two copies of it at a time.
int Show(const std::string& path, std::ostream& out, std::ostream& err) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return Fail(err, "cannot open " + path + ": " + std::strerror(errno));
  if (!S_ISREG(info.st_mode)) return Fail(err, path + ": not a regular file");
  if (static_cast<std::uint64_t>(info.st_size) > kMaxSettingsFileBytes) {
    return Fail(err, path + ": " + std::to_string(info.st_size) + " bytes, over the " +
                         std::to_string(kMaxSettingsFileBytes) +
                         " bytes the program reads: the program ignores this file and runs unbranded");
  }
  std::string plain;
  if (!DecryptSettingsBytes(ReadWholeFile(path), plain)) return Fail(err, NotAuthentic(path));
  const std::string lastNewsId = FindLastNewsId(plain);
  TBrandDocument document = ConsumeBrandDocument(std::move(plain));
  for (std::size_t i = 0; i < document.Banner.size(); ++i) {
    const std::string& entry = document.Banner[i];
    const std::string name = entry.substr(0, entry.find('^'));
    if (BannerFormatForName(name).empty()) {
      err << "halvane-brand: warning: Banner" << i + 1 << " names '" << Shown(name)
          << "', a picture format the program cannot show (use .gif, .jpg, .jpeg, .png, .bmp or .ico)\n";
    }
  }
  ChooseBrandEntries(document, ProgramBrandRandom());
  WriteBrandReport(out, document, lastNewsId);
  return 0;
}

int Run(const std::vector<std::string>& a, std::ostream& out, std::ostream& err) {
  const std::string command = a.empty() ? std::string() : a[0];
  if (command == "encrypt" && a.size() == 3) {
    if (!EncryptFileAtomically(a[1], a[2])) return Fail(err, a[2] + ": cannot write the settings file");
    return 0;
  }
  if (command == "decrypt" && a.size() == 3) {
    if (!DecryptFileAtomically(a[1], a[2])) return Fail(err, NotAuthentic(a[1]));
    return 0;
  }
  if (command == "show" && a.size() == 2) return Show(a[1], out, err);
  if (command == "template" && a.size() == 1) {
    out << kTemplate;
    return 0;
  }
  if (command == "skin" && a.size() == 3) {
    WriteSkinFile(a[1], a[2]);
    return 0;
  }
  err << kUsage;
  return 2;
}

}  // namespace

std::string_view BrandTemplate() { return kTemplate; }

std::string FormatBrandReport(const TBrandDocument& document, std::string_view lastNewsId) {
  std::ostringstream report;
  WriteBrandReport(report, document, lastNewsId);
  return std::move(report).str();
}

void WriteBrandReport(std::ostream& report, const TBrandDocument& document, std::string_view lastNewsId) {
  const TBrandSettings& s = document.Settings;
  Field(report, "ApplicationName", s.ApplicationName);
  Field(report, "BranderCode", s.BranderCode);
  Field(report, "BranderType", s.BranderType);
  Field(report, "AffiliateURL", s.AffiliateURL);
  Field(report, "MasterNewsBaseURL", s.MasterNewsBaseURL);
  Field(report, "PlatinumNewsBaseURL", s.PlatinumNewsBaseURL);
  Field(report, "GoldNewsBaseURL", s.GoldNewsBaseURL);
  Field(report, "MasterPublID", s.MasterPublID);
  Field(report, "PlatinumPublID", s.PlatinumPublID);
  Field(report, "GoldPublID", s.GoldPublID);
  Field(report, "MakeMoneyCaption", s.MakeMoneyCaption);
  Field(report, "AppHelpURL", s.AppHelpURL);
  Field(report, "CopyrightYears", s.CopyrightYears);
  Field(report, "CopyrightCompany", s.CopyrightCompany);
  Field(report, "AboutText", s.AboutText);
  Family(report, "Welcome", document.Welcome);
  Field(report, "WelcomeHtml", s.WelcomeHtml);
  Family(report, "Banner", document.Banner);
  Field(report, "BannerNumber", std::to_string(s.BannerNumber));
  Field(report, "BannerFile", s.BannerFile);
  Field(report, "BannerURL", s.BannerURL);
  Family(report, "Link", document.Link);
  Field(report, "Link1Caption", s.Link1Caption);
  Field(report, "Link1URL", s.Link1URL);
  Field(report, "Link2Caption", s.Link2Caption);
  Field(report, "Link2URL", s.Link2URL);
  Field(report, "NewsButton", NewsButtonShown(s) ? "shown" : "hidden");
  Field(report, "LastNewsId", lastNewsId);
}

int RunBrandTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  try {
    return Run(arguments, out, err);
  } catch (const std::exception& error) {
    return Fail(err, error.what());
  }
}

}  // namespace halvane
