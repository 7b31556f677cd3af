#pragma once
// halvane-fetch --live: the live client on the command line.

namespace halvane {

// Whether the command line asks for the live client.
bool WantsLive(int argc, char** argv);
// Runs "halvane-fetch --live ..."; the exit status.
int RunLive(int argc, char** argv);

}  // namespace halvane
