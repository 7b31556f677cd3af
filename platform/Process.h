#pragma once
// Starting other programs. Arguments are handed over as they are, one by
// one, and never pass through a shell: addresses come from web pages.
#include <string>
#include <vector>

namespace halvane::platform {

// Starts program with the given arguments and does not wait for it; the
// started program is detached from this process. Returns false when it
// could not be started (no such program, not executable).
bool StartDetached(const std::string& program, const std::vector<std::string>& arguments);

// Opens a document or address with the desktop's default handler (the shell
// "open" verb applied to the address itself).
bool OpenWithDesktop(const std::string& target);

}  // namespace halvane::platform
