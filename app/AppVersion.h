#pragma once
// The running version, shown in the caption and the about window and
// compared with the published one.
namespace halvane {

inline constexpr const char* AppVersion = "2.20";

}  // namespace halvane
