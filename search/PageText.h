#pragma once
// Page retrieval's reading of a fetched body and its status texts.
#include <string>
#include <string_view>

namespace halvane {

inline constexpr std::string_view kFetchDoneStatus = "Process completed sucessfull!";
inline constexpr std::string_view kFetchAbortedStatus = "Process aborted!";
inline constexpr std::string_view kFetchFailedStatus =
    "Connection error, check if you are connected and url exists.";

// "Getting URL: " + address + "..."
std::string GettingUrlStatusText(std::string_view address);

// The body as page text: bytes up to the first NUL, lines split at CR LF,
// lone LF or lone CR, every line (the last one too) followed by CR LF. An
// empty body gives an empty text.
std::string PageTextFromBody(std::string_view body);

}  // namespace halvane
