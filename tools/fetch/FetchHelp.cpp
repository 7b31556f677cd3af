#include "tools/fetch/FetchHelp.h"

#include <string_view>

namespace halvane {

bool WantsFetchHelp(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") return true;
  }
  return false;
}

std::string FetchHelpText() {
  return std::string(kFetchUsage) + "       " + kLiveFetchUsage +
         "\n"
         "Sends requests exactly as the program does: GETs each URL in turn with one client\n"
         "(cookies carry over), the bodies to standard output, one line per request on\n"
         "standard error (the status line, or \"error: \" and what failed).\n"
         "\n"
         "options:\n"
         "  -o FILE            append the bodies to FILE (created when missing)\n"
         "  --post NAME=VALUE  a field of one multipart/form-data POST to the single URL;\n"
         "                     repeat it for more fields, sent in order\n"
         "  --live             through the live client: http and https, every URL at once,\n"
         "                     the bodies still in command-line order\n"
         "  --ca-file FILE     --live: trust the certificates of FILE too\n"
         "  --proxy ADDR       --live: http://host:port or socks5h://host:port (repeat: used in rotation)\n"
         "  --parallel N       --live: 1..16 requests at a time (default 4)\n"
         "  -h, --help         this help\n"
         "\n"
         "exit codes:\n"
         "  0    every request answered 2xx\n"
         "  1    a request failed, answered outside 2xx or ended at the redirect limit,\n"
         "       or the output could not be opened or written\n"
         "  2    a command line it does not understand\n";
}

}  // namespace halvane
