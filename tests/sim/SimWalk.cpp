#include "tests/sim/SimWalk.h"

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "base/MarkerScan.h"
#include "tools/sim/SimText.h"
#include "tools/reference/UrlHashReference.h"

namespace halvane::simtest {
namespace {

bool HasText(std::string_view w, std::string_view what) { return w.find(what) != std::string_view::npos; }

// The program's rank cell for a page name.
std::string ShownRank(int port, const std::string& name) {
  const std::string q = "info:" + name;
  const std::string reply = RankReply(port, name, test::ReferenceUrlHash(q, false));
  std::string text = reply.empty() ? "" : reply;
  std::string_view w = text;
  ExtractBetween(w, "Rank_1:", ":");
  std::string r(sim::TrimControl(w));
  std::erase(r, ':');
  if (r.empty() || r[0] < '0' || r[0] > '9') return "0";
  return r;
}

}  // namespace

TFetched Fetch(const std::string& ip, int port, const std::string& target) {
  httplib::Client client(ip, port);
  client.set_url_encode(false);
  client.set_connection_timeout(10);
  client.set_read_timeout(30);
  const auto res = client.Get(target.c_str());
  if (!res) return {};
  return {res->status, res->body};
}

TFetched FetchAddress(const std::string& address) {
  const std::string rest = address.substr(7);  // after "http://"
  const std::size_t slash = rest.find('/');
  const std::string host = rest.substr(0, slash);
  const std::size_t colon = host.find(':');
  const std::string target = slash == std::string::npos ? "/" : rest.substr(slash);
  return Fetch(host.substr(0, colon), std::stoi(host.substr(colon + 1)), target);
}

std::string Exchange(const std::string& ip, int port, const std::string& request, int idleMs) {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<std::uint16_t>(port));
  inet_pton(AF_INET, ip.c_str(), &addr.sin_addr);
  std::string got;
  if (connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
      send(s, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
    char buf[4096];
    while (true) {
      pollfd p{s, POLLIN, 0};
      if (poll(&p, 1, idleMs) <= 0) break;
      const ssize_t n = recv(s, buf, sizeof buf, 0);
      if (n <= 0) break;
      got.append(buf, static_cast<std::size_t>(n));
    }
  }
  close(s);
  return got;
}

std::vector<std::string> WalkHarvest(int port, const std::string& keyword, int depthIndex,
                                     const std::string& imagePrefix) {
  const std::string marker = "href=\"/url?q=";
  const std::string query = "\"" + keyword + "\" \"comment\" \"powered by wordpress\"";
  std::vector<std::string> urls;
  for (int page = 0; page <= depthIndex; ++page) {
    const TFetched fetched = Fetch("127.0.0.1", port, "/search?num=100&hl=en&q=" + EncodeForUrl(query) +
                                                          "&btnG=Search&start=" + std::to_string(page * 100));
    if (fetched.status != 200) continue;
    std::string_view w = fetched.body;
    while (HasText(w, marker)) {
      const std::string link = ExtractBetween(w, marker, "\"");
      const std::string lower = sim::ToLowerAscii(link);
      if (lower.rfind("http://", 0) != 0 || lower.rfind(imagePrefix, 0) == 0) continue;
      bool known = false;
      for (const std::string& u : urls) known = known || sim::ToLowerAscii(u) == lower;
      if (!known) urls.push_back(link);
      if (!HasText(w, "Next<")) break;
    }
    if (!HasText(w, "Next<")) break;
  }
  return urls;
}

std::optional<sim::TExpectedRow> WalkRow(int port, const std::string& address, const std::string& domainBox) {
  const TFetched fetched = FetchAddress(address);
  if (fetched.status != 200) return std::nullopt;
  const std::string p = sim::ToLowerAscii(sim::TrimControl(fetched.body));
  if (p.empty() || !HasText(p, "wp-content") || HasText(p, "nofollow'>") || HasText(p, "nofollow\">") ||
      HasText(p, "nofollow>")) {
    return std::nullopt;
  }
  sim::TExpectedRow row;
  row.url = address;
  row.pageRank = ShownRank(port, "www." + sim::StripAddressPrefixes(address));
  row.homePageRank = ShownRank(port, "www." + sim::StripHomeAddressPrefixes(sim::HomePageAddress(address)));

  const std::string domain = sim::ToLowerAscii(sim::TrimControl(domainBox));
  row.hasYourLink = "No";
  std::string anchor;
  if (!domain.empty()) {
    std::string_view w = p;
    const std::string single = "href='";
    const std::string twin = "href=\"";
    while (HasText(w, "<a ") && (HasText(w, single) || HasText(w, twin))) {
      const bool useSingle = w.find(single) < w.find(twin);
      const std::string& marker = useSingle ? single : twin;
      ExtractBetween(w, "<a ", marker);
      const std::string target = ExtractBetween(w, marker, useSingle ? "'" : "\"");
      if (HasText(target, domain)) {
        row.hasYourLink = "Yes";
        anchor = ExtractBetween(w, ">", "</a>");
        break;
      }
    }
  }
  row.anchorName = anchor.empty() ? "-" : anchor;

  const TFetched ranking = Fetch("127.0.0.1", port, "/siteinfo/" + address);
  std::string value;
  if (ranking.status == 200) {
    std::string_view w = ranking.body;
    ExtractBetween(w, "<img src=\"/images/icons/globe-sm.jpg\"", ">");
    value = std::string(sim::TrimControl(ExtractBetween(w, ">", "</div>")));
  }
  row.alexaRanking = value.empty() || value[0] < '0' || value[0] > '9' ? "-" : value;
  return row;
}

std::string RankReply(int port, const std::string& page, unsigned long long checksum) {
  return Fetch("127.0.0.1", port,
               "/search?client=navclient-auto&ch=6" + std::to_string(checksum) +
                   "&ie=UTF-8&features=Rank&q=info:" + page)
      .body;
}

}  // namespace halvane::simtest
