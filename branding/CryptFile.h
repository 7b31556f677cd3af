#pragma once
// Whole-file encryption of the settings container with the program's fixed
// password.
#include <cstdint>
#include <string>
#include <string_view>

namespace halvane {

inline constexpr std::string_view kSettingsPassword = "pvmqrtzwxk";
inline constexpr std::int32_t kCryptFileBufferSize = 262144;

// Decrypts the container at source into destination, which is created (or
// replaced) readable by the owner only. Returns whether the password matched
// and the container is whole and authentic; when it is not, destination is
// left empty. Throws std::system_error when a file cannot be opened, created
// or written (a full disk is such an error, not a failed decryption).
bool DecryptFile(const std::string& source, const std::string& destination);

// Encrypts the plain file source into the container destination (created or
// replaced). False on a stream error. Throws std::system_error when a file
// cannot be opened or created.
bool EncryptFile(const std::string& source, const std::string& destination);

// Like DecryptFile, but destination appears (replacing an older file) only
// when the container is authentic; otherwise it is left as it was.
bool DecryptFileAtomically(const std::string& source, const std::string& destination);
// Like EncryptFile, but the new container is written beside destination,
// flushed and renamed over it, so that an interruption leaves either the old
// or the new file whole. The mode of an older destination is kept.
bool EncryptFileAtomically(const std::string& source, const std::string& destination);

// The same in memory, for the publisher's tool and the fuzz harness: plain
// is filled only when the container is authentic.
bool DecryptSettingsBytes(std::string_view container, std::string& plain);
// False only when no salt could be drawn.
bool EncryptSettingsBytes(std::string_view plain, std::string& container);

}  // namespace halvane
