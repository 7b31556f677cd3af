#pragma once
// The update check's decisions and texts: whether a published version is
// newer, the questions asked, and the updater's parameters.
#include <string>
#include <string_view>
#include <vector>

namespace halvane {

inline constexpr std::string_view kUpdateFileName = "mainappupdate.inf";
inline constexpr std::string_view kUpdateSection = "APPLICATION";
inline constexpr std::string_view kUpdateVersionKey = "Version";
inline constexpr std::string_view kUpdaterFileName = "Updater.exe";
inline constexpr std::string_view kUpdaterMissingWarning =
    "The updater module is missing. Please reinstall again the current version!";
inline constexpr std::string_view kNoUpdatesNotice = "There's no new updates for this application!";

// True when published, read as a decimal number with "." as separator, is
// strictly greater than running read the same way. Digits with at most one
// point and at least one digit ("3", "2.30", "2.", ".5") are numbers;
// anything else ("", "2,30", "2.3.0", "-1", " 2") counts as 0. Exact
// decimal comparison: 2.9 > 2.10, 2.20 == 2.2.
bool IsNewerVersion(std::string_view published, std::string_view running);

// "There is a new update: (version <version>) available for your
// application!. Do you want download this update now?"
std::string UpdateQuestionText(std::string_view version);
// The second question, its two lines joined by LF CR.
std::string UpdateCloseQuestionText();

// The description file's address: baseUrl + "mainappupdate.inf".
std::string UpdateDescriptionAddress(std::string_view baseUrl);

// The updater's parameter string: baseUrl + " " + appVersion + " A".
std::string UpdaterParameters(std::string_view baseUrl, std::string_view appVersion);
// The same as separate arguments for starting the updater directly.
std::vector<std::string> UpdaterArguments(std::string_view baseUrl, std::string_view appVersion);

}  // namespace halvane
