// halvane-rank: builds and checks the indexes of authority tables and Tranco
// lists, looks domains up as the program does, and judges a saved page with
// the modern page test.
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "base/RegularFile.h"
#include "live/RegistrableDomain.h"
#include "pagetest/PageTest.h"
#include "tables/TAuthorityTable.h"
#include "tables/TTableError.h"
#include "tables/TTrancoList.h"
#include "tables/TTrancoListId.h"
#include "tables/TableSource.h"
#include "tables/TableText.h"
#include "tools/rank/DownloadVerb.h"
#include "tools/rank/RankExitCodes.h"
#include "tools/rank/RankHelp.h"

namespace {

using namespace halvane::tables;
using halvane::rank::kRankBadArguments;
using halvane::rank::kRankDone;
using halvane::rank::kRankFailed;

int Usage() {
  std::cerr << halvane::rank::kRankUsage;
  return kRankBadArguments;
}

void Describe(const std::string& table, const TTableIndex& index, double seconds) {
  std::cout << table << ": " << KindName(index.Kind()) << ", " << GroupThousands(index.Count()) << " domains\n"
            << "index: " << index.IndexPath() << "\n";
  if (index.BuildReason().empty()) {
    std::cout << "up to date\n";
  } else {
    char took[32];
    std::snprintf(took, sizeof took, "%.2f", seconds);
    std::cout << "built in " << took << " s (" << index.BuildReason() << ")\n";
  }
}

int Run(const std::string& command, const std::string& table, const std::vector<std::string>& domains,
        const std::string& cacheDir) {
  const TTableKind kind = DetectTableKind(table);
  const auto start = std::chrono::steady_clock::now();
  std::optional<TAuthorityTable> authority;
  std::optional<TTrancoList> tranco;
  // index checks every block of an index it finds; a lookup, the blocks it reads.
  const auto check = command == "index" ? TTableIndex::TCheck::AllBlocks : TTableIndex::TCheck::Head;
  if (kind == TTableKind::Authority) {
    authority.emplace(TAuthorityTable::Open(table, cacheDir, check));
  } else {
    tranco.emplace(TTrancoList::Open(table, cacheDir, check));
  }
  const TTableIndex& index = authority ? authority->Index() : tranco->Index();
  if (command == "index") {
    Describe(table, index, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (tranco) {
      std::string error;
      (void)TTrancoListId::Read(table, error);
      if (!error.empty()) std::cerr << "halvane-rank: " << error << "\n";
      std::cout << "cite: " << TTrancoListId::CitationFor(table) << "\n";
    }
    return kRankDone;
  }
  if (!index.BuildReason().empty()) std::cerr << "halvane-rank: indexed " << table << " (" << index.BuildReason() << ")\n";
  for (const std::string& domain : domains) {
    std::string shown = "-";
    const std::string registrable = halvane::live::RegistrableDomain(domain);
    if (authority) {
      if (const auto figure = authority->Lookup(domain, registrable)) shown = std::to_string(*figure);
    } else if (const auto rank = tranco->Lookup(domain, registrable)) {
      shown = GroupThousands(*rank);
    }
    std::cout << domain << '\t' << shown << '\n';
  }
  if (index.Damaged()) std::cerr << "halvane-rank: " << index.DamageReport() << "\n";
  return index.FiguresLeftOut() ? kRankFailed : kRankDone;
}

// The page's own host and its registrable domain: the page test tells
// comment links from the blog's own links and WordPress's files from
// hot-linked ones by them.
struct TOwnHost {
  std::string Host;
  std::string Site;
  std::string From;  // "--url" or "the canonical link"
};

std::optional<TOwnHost> OwnHost(const std::string& address, const std::string& from) {
  const std::string host = halvane::live::HostOfUrl(address);
  if (host.empty()) return std::nullopt;
  const std::string site = halvane::live::RegistrableDomain(host);
  return TOwnHost{host, site.empty() ? host : site, from};
}

// Judges a saved page as live mode's modern page test does.
int TestPage(const std::string& file, const std::string& domain, const std::optional<std::string>& url) {
  // Only a regular file: a FIFO or a device would never end. Pages past the
  // test's cap are judged on their start, so any size opens.
  halvane::TRegularFile in = halvane::TRegularFile::Open(file, UINT64_MAX);
  if (!in.IsOpen()) {
    std::cerr << "halvane-rank: cannot judge " << in.Error() << "\n";
    return kRankFailed;
  }
  std::string html(halvane::pagetest::kMaxPageBytes + 1, '\0');
  std::size_t size = 0;
  while (size < html.size()) {
    const ssize_t got = ::read(in.Descriptor(), html.data() + size, html.size() - size);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      std::cerr << "halvane-rank: cannot judge " << file << ": cannot read it (" << std::strerror(errno) << ")\n";
      return kRankFailed;
    }
    if (got == 0) break;
    size += static_cast<std::size_t>(got);
  }
  html.resize(size);
  std::optional<TOwnHost> own;
  if (url) {
    own = OwnHost(*url, "--url");
    if (!own) {
      std::cerr << "halvane-rank: --url " << *url << " is no http(s) address with a host\n";
      return kRankBadArguments;
    }
  }
  halvane::pagetest::TPageContext context;
  context.UserDomain = domain;
  // Without --url, a first look finds the canonical link, which names the
  // page's host for a second.
  auto verdict = halvane::pagetest::TestPage(html, context);
  if (!own && !verdict.Canonical.empty()) own = OwnHost(verdict.Canonical, "the canonical link");
  if (own) {
    context.PageHost = own->Host;
    context.PageSite = own->Site;
    verdict = halvane::pagetest::TestPage(html, context);
  }
  std::cout << "Verdict: " << (verdict.Qualifies ? "kept" : "not kept: " + verdict.Reason) << "\n"
            << "WordPress: " << (verdict.IsWordPress ? "yes" : "no") << "\n"
            << "Comments: " << halvane::pagetest::CommentsCell(verdict) << "\n"
            << "Comment Links: " << halvane::pagetest::CommentLinksCell(verdict) << " ("
            << verdict.FollowedCommentLinks << " followed, " << verdict.NofollowCommentLinks << " nofollow)\n"
            << "Has Your Link: " << halvane::pagetest::YourLinkCell(verdict) << "\n"
            << "Anchor Name: " << verdict.Anchor << "\n";
  if (own) {
    std::cout << "Page host: " << own->Host << " (from " << own->From << ")\n";
  } else {
    std::cout << "Page host: unknown (no canonical link; give --url ADDRESS)\n";
  }
  if (verdict.Truncated) {
    std::cout << "(judged on the first " << (halvane::pagetest::kMaxPageBytes >> 20) << " MiB)\n";
  }
  return kRankDone;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (halvane::rank::WantsRankHelp(args)) {
    std::cout << halvane::rank::RankHelpText();
    return kRankDone;
  }
  std::string cacheDir = DefaultCacheDir();
  if (args.size() >= 2 && args[0] == "--cache") {
    cacheDir = args[1];
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.empty()) return Usage();
  const std::string& command = args[0];
  if (command == "download") return halvane::rank::RunDownload(std::vector<std::string>(args.begin() + 1, args.end()));
  if (command == "test-page") {
    std::optional<std::string> url;
    for (std::size_t i = 1; i + 1 < args.size(); ++i) {
      if (args[i] == "--url") {
        if (url) return Usage();
        url = args[i + 1];
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        --i;
      }
    }
    if (args.size() < 2 || args.size() > 3 || (args.size() == 3 && args[2] == "--url")) return Usage();
    return TestPage(args[1], args.size() == 3 ? args[2] : std::string(), url);
  }
  if (!((command == "index" && args.size() == 2) || (command == "lookup" && args.size() >= 3))) return Usage();
  if (cacheDir.empty()) {
    std::cerr << "halvane-rank: no cache folder: set XDG_CACHE_HOME or HOME, or give --cache DIR\n";
    return kRankBadArguments;
  }
  try {
    return Run(command, args[1], std::vector<std::string>(args.begin() + 2, args.end()), cacheDir);
  } catch (const TTableError& error) {
    std::cerr << "halvane-rank: " << error.what() << "\n";
    return kRankFailed;
  }
}
