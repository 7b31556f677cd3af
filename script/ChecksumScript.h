#pragma once
// The checksum script host: deciphers and loads the embedded "urlhash"
// script once, and runs it for every toolbar query.
#include <cstdint>
#include <string_view>

namespace halvane {

// Deciphers and loads the embedded image; on any failure nothing is loaded
// and every checksum is 0.
void LoadChecksumScript();

// Frees the loaded image, if any.
void ReleaseChecksumScript();

// The script's checksum of text ("info:" and the page), the old variant when
// oldVersion is true; 0 when no image is loaded or the script fails. Calls
// are serialised, so any thread may call it.
std::uint32_t ComputeUrlHash(std::string_view text, bool oldVersion);

// Loads another enciphered image in place of the embedded one (tests and
// tools); true when it is loaded.
bool LoadChecksumScriptImage(std::string_view enciphered, std::string_view key);

bool ChecksumScriptLoaded();

}  // namespace halvane
