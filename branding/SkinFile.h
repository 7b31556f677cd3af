#pragma once
// The skin file format of mainskin.dat: exactly one zlib stream (RFC 1950,
// as compress2 writes it) over the style sheet's UTF-8 bytes, nothing before
// or after it.
#include <cstddef>
#include <string>
#include <string_view>

namespace halvane {

inline constexpr std::string_view kSkinFileName = "mainskin.dat";

// A skin is inflated up to this many bytes at most.
inline constexpr std::size_t kMaxSkinBytes = 4u << 20;

// Throws std::length_error for a style sheet zlib cannot take in one call.
std::string CompressSkin(std::string_view styleSheet);

// The style sheet of a packed skin; empty for a damaged or incomplete
// stream, or one that inflates beyond kMaxSkinBytes.
std::string DecompressSkin(std::string_view packed);

// Compresses the style sheet file source into the skin file destination,
// replacing it whole. Throws std::system_error when a file cannot be read
// or written.
void WriteSkinFile(const std::string& source, const std::string& destination);

}  // namespace halvane
