#pragma once
// The branding settings document: reading it out of the encrypted settings
// file, the random choice of welcome page, banner and links, the News button
// rule, and the one entry the program rewrites (LastNewsId).
//
// programFolder ends in "/". The settings are decrypted through the working
// copy dbsettings.sim (TWorkingCopy: always a new file of ours), which never
// outlives the call; in a folder where it cannot be created they are
// decrypted in memory. std::system_error is
// thrown when dbsettings.dat cannot be read, or (WriteLastNewsId) written.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "branding/TBrandDocument.h"
#include "branding/TBrandRandom.h"
#include "branding/TBrandSettings.h"

namespace halvane {

inline constexpr std::string_view kSettingsFileName = "dbsettings.dat";
inline constexpr std::string_view kWorkingCopyName = "dbsettings.sim";
inline constexpr std::string_view kDefaultMakeMoneyCaption = "Make Money";
inline constexpr std::string_view kAffiliatePlaceholder = "%%AFFILIATEID%%";
inline constexpr std::size_t kMaxFamilyMembers = 16;
// Larger settings files are not read: a real one holds a few kilobytes.
inline constexpr std::size_t kMaxSettingsFileBytes = 16u << 20;

// Splits at CR LF, CR or LF; a NUL byte ends the text; a final line break
// does not start another line.
std::vector<std::string> SplitSettingsLines(std::string_view text);
// Every line followed by CR LF.
std::string JoinSettingsLines(const std::vector<std::string>& lines);

// The same as JoinSettingsLines(SplitSettingsLines(text)), in one pass and
// one allocation.
std::string NormalizeSettingsText(std::string_view text);

// Reads a plain settings document (as decrypted) the way start-up does.
TBrandDocument ReadBrandDocument(std::string_view plainText);
// The same, releasing the plain text once it is normalised, so that at most
// two copies of the document are held at a time.
TBrandDocument ConsumeBrandDocument(std::string plainText);
// Reads a document that NormalizeSettingsText has made.
TBrandDocument ScanBrandDocument(std::string text);
// Fills WelcomeHtml, the banner and the two links from the families. A
// chosen banner or link without a second field gets an empty one.
void ChooseBrandEntries(TBrandDocument& document, TBrandRandom& random);
// The LastNewsId value of a plain document (tags in any letter case).
std::string FindLastNewsId(std::string_view plainText);
// Stores id in the first line holding a LastNewsId tag (any letter case),
// keeping the rest of that line, or appends a line of its own.
void SetLastNewsIdLine(std::vector<std::string>& lines, std::string_view id);

// Fills settings from dbsettings.dat; false (and an empty record) when there
// is no such file. A file that does not decrypt or is not authentic reads as
// an empty document.
bool LoadBrandSettings(const std::string& programFolder, TBrandSettings& settings);
bool LoadBrandSettings(const std::string& programFolder, TBrandSettings& settings,
                       TBrandRandom& random);

bool NewsButtonShown(const TBrandSettings& settings);

// Empty when the file or the entry is missing or the file does not decrypt.
std::string ReadLastNewsId(const std::string& programFolder);
// Rewrites dbsettings.dat with id stored; the old file stays whole until
// the new one replaces it. Does nothing when there is no settings file,
// when it does not decrypt, or when id contains a line break, a NUL byte or
// a tag opener "<%%" (it would change other entries).
void WriteLastNewsId(const std::string& programFolder, std::string_view id);

}  // namespace halvane
