#include "tools/rank/RankHelp.h"

#include <algorithm>

namespace halvane::rank {

bool WantsRankHelp(const std::vector<std::string>& args) {
  return std::any_of(args.begin(), args.end(), [](const std::string& arg) { return arg == "--help" || arg == "-h"; });
}

std::string RankHelpText() {
  return std::string(kRankUsage) +
         "\n"
         "verbs:\n"
         "  index      builds TABLE's index when it is missing, out of date or damaged,\n"
         "             checks every block of it and says what the table holds\n"
         "  lookup     prints \"DOMAIN<TAB>value\" for each DOMAIN as the program looks it up\n"
         "             (\"-\" when the table does not list it)\n"
         "  test-page  judges the saved page FILE with the modern page test, for your DOMAIN\n"
         "  download   downloads the Tranco list of the sources file's tranco-url into OUT\n"
         "             (default: its tranco path) and prints how to cite it\n"
         "\n"
         "options:\n"
         "  --cache DIR       where the indexes live (default $XDG_CACHE_HOME/halvane)\n"
         "  --url ADDRESS     test-page: the address the page was saved from (names its host)\n"
         "  --sources FILE    download: the sources file (default $XDG_CONFIG_HOME/halvane/sources.ini)\n"
         "  -h, --help        this help\n"
         "\n"
         "exit codes:\n"
         "  0    done\n"
         "  1    a table, page or index could not be read or written, a table is broken,\n"
         "       a lookup left figures out (damaged index, table gone) or the download failed\n"
         "       (the old list stays)\n"
         "  2    a command line it does not understand (a --url that is no http(s) address\n"
         "       included), a bad sources file, no cache folder, or an OUT that is no regular file\n";
}

}  // namespace halvane::rank
