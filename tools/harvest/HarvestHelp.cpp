#include "tools/harvest/HarvestHelp.h"

namespace halvane::harvest {
namespace {

constexpr const char* kExitCodes =
    "exit codes:\n"
    "  0    finished\n"
    "  1    a source, the store or an output file failed (the reason is printed)\n"
    "  2    bad arguments or a bad sources file\n"
    "  3    recheck: a link went missing, its page is gone or it turned nofollow\n"
    "  130  stopped by Ctrl-C (the rows so far are written)\n";

constexpr const char* kStoreOptions =
    "  --sources FILE    the sources file (default $XDG_CONFIG_HOME/halvane/sources.ini)\n"
    "  --db FILE|URL     the store: a SQLite file or a postgresql:// address (default: [store]\n"
    "                    of the sources file, else $XDG_DATA_HOME/halvane/halvane.db)\n";

}  // namespace

std::string HelpText(TVerb verb) {
  std::string text;
  switch (verb) {
    case TVerb::Search:
      text = std::string(
                 "usage: halvane-harvest [search] (--keyword TEXT | --keywords FILE) [options]\n"
                 "       halvane-harvest judge|blacklist|links|recheck|history --help\n\n"
                 "Searches for WordPress pages whose comments carry followed links, judges every page\n"
                 "and writes a row for each one kept. Each run is remembered in the store.\n\n"
                 "options:\n"
                 "  --keyword TEXT    one keyword\n"
                 "  --keywords FILE   one keyword a line ('#' comments and blank lines skipped)\n"
                 "  --footprint TEXT  the query, {keyword} where the keyword goes\n"
                 "                    (default: the keyword, \"comment\", \"powered by wordpress\")\n"
                 "  --footprints FILE one footprint a line: every keyword runs with every footprint\n"
                 "  --domain D        your domain: pages linking to it say so, with the anchor\n"
                 "  --depth N         1..10 (default 1): up to N x 100 addresses\n"
                 "  --csv FILE        the rows as CSV (default: standard output)\n"
                 "  --json FILE       the rows as JSON\n"
                 "  --report FILE     a line per harvested address and what became of it\n"
                 "  --parallel N      1..16: overrides [network] parallel\n"
                 "  --new-only        skip pages judged within --days N (default 30)\n"
                 "  --quiet           no progress\n") +
             kStoreOptions;
      break;
    case TVerb::Judge:
      text = std::string(
                 "usage: halvane-harvest judge --urls FILE [--domain D] [--csv FILE | --json FILE]\n"
                 "                             [--report FILE] [--parallel N] [--new-only] [--days N] [--quiet]\n\n"
                 "Judges the addresses of FILE (one a line, '#' comments skipped) without searching:\n"
                 "the same rows, store and output as a search.\n\noptions:\n") +
             kStoreOptions;
      break;
    case TVerb::Blacklist:
      text = std::string(
                 "usage: halvane-harvest blacklist add|remove DOMAIN...\n"
                 "       halvane-harvest blacklist list\n\n"
                 "Domains on the blacklist (and their subdomains) are never fetched: their pages\n"
                 "get the reason \"blacklisted\".\n\noptions:\n") +
             kStoreOptions;
      break;
    case TVerb::Links:
      text = std::string(
                 "usage: halvane-harvest links add URL...\n\n"
                 "Records pages where you left a comment, for recheck.\n\noptions:\n") +
             kStoreOptions;
      break;
    case TVerb::Recheck:
      text = std::string(
                 "usage: halvane-harvest recheck --domain D [--csv FILE | --json FILE] [--parallel N] [--quiet]\n\n"
                 "Fetches every recorded page again and says whether your link to D is still there:\n"
                 "\"present, followed\", \"present, nofollow\", \"missing\", \"page gone (HTTP 404)\" or\n"
                 "\"failed: <reason>\", with what changed since the last check.\n\noptions:\n") +
             kStoreOptions;
      break;
    case TVerb::History:
      text = std::string(
                 "usage: halvane-harvest history [--since YYYY-MM-DD] [--csv FILE | --json FILE]\n\n"
                 "Lists every page the store knows with its latest verdict, fetching nothing.\n\n"
                 "options:\n") +
             kStoreOptions;
      break;
  }
  return text + "\n" + kExitCodes;
}

}  // namespace halvane::harvest
