#include "LiveExpectation.h"

#include "SimText.h"
#include "TModernBlog.h"
#include "TOpenPageRankService.h"
#include "TTrancoDownload.h"

namespace halvane::sim {

namespace {

void AppendUtf8(std::string& out, std::uint64_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// The references the simulated pages use in anchors.
std::string DecodeReferences(std::string_view text) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t semi = text[i] == '&' ? text.find(';', i) : std::string_view::npos;
    if (semi != std::string_view::npos) {
      const std::string_view name = text.substr(i + 1, semi - i - 1);
      std::optional<std::uint64_t> cp;
      if (name == "amp") cp = '&';
      if (name == "lt") cp = '<';
      if (name == "gt") cp = '>';
      if (name == "quot") cp = '"';
      if (name.size() > 1 && name[0] == '#') cp = ParseDecimal(name.substr(1), 0xFFFF);
      if (cp) {
        AppendUtf8(out, *cp);
        i = semi + 1;
        continue;
      }
    }
    out += text[i++];
  }
  return out;
}

struct TJudgedPage {
  bool qualifies = false;
  bool commentsOpen = false;
  std::string commentLinks = "None yet";
  // The links where the user's link counts (the post's text and the
  // comments), in page order.
  std::vector<TPageLink> candidates;
};

// The host of a simulated link ("http://Host:port/..." or a path): lower
// case, without port; empty for a path.
std::string HostOfTarget(std::string_view target) {
  const std::size_t scheme = target.find("://");
  if (scheme == std::string_view::npos) return {};
  target.remove_prefix(scheme + 3);
  return ToLowerAscii(target.substr(0, target.find_first_of(":/?#")));
}

// The user's domain as the program reduces it: trimmed, lower case, no
// scheme, path or port, no leading "www.".
std::string DomainOf(std::string_view typed) {
  std::string domain = ToLowerAscii(TrimControl(typed));
  const std::size_t scheme = domain.find("://");
  if (scheme != std::string::npos) domain.erase(0, scheme + 3);
  domain = domain.substr(0, domain.find_first_of(":/?#"));
  if (domain.rfind("www.", 0) == 0 && domain.find('.', 4) != std::string::npos) domain.erase(0, 4);
  return domain;
}

bool IsUnder(const std::string& host, const std::string& domain) {
  if (domain.empty() || host.size() < domain.size()) return false;
  if (host.compare(host.size() - domain.size(), domain.size(), domain) != 0) return false;
  return host.size() == domain.size() || host[host.size() - domain.size() - 1] == '.';
}

// A modern post: the commenters' links (not those on the blog's own host)
// decide; links in the post's text and the comments may be the user's.
TJudgedPage JudgeModern(const TBlogPage& page, const std::vector<TModernLink>& links) {
  TJudgedPage judged;
  judged.commentsOpen = page.wordPress && page.commentsOpen;
  int followed = 0, nofollow = 0;
  for (const TModernLink& link : links) {
    const bool commenters = link.place == TLinkPlace::CommentAuthor || link.place == TLinkPlace::CommentText;
    if (commenters && HostOfTarget(link.link.target) != TSimWeb::SiteIp(page.site)) {
      ++(link.nofollow ? nofollow : followed);
    }
    if (commenters || link.place == TLinkPlace::CommentOwn || link.place == TLinkPlace::PostText) {
      judged.candidates.push_back(link.link);
    }
  }
  judged.commentLinks = followed + nofollow == 0 ? "None yet" : nofollow == 0 ? "Followed" : followed == 0 ? "nofollow" : "Mixed";
  judged.qualifies = page.wordPress && judged.commentLinks != "nofollow";
  return judged;
}

// The site and the path of "http(s)://127.0.0.x:PORT/path...".
std::optional<std::pair<int, std::string_view>> SiteAndTarget(const TSimWeb& web, std::string_view address) {
  bool https = false;
  if (address.substr(0, 7) == "http://") {
    address.remove_prefix(7);
  } else if (address.substr(0, 8) == "https://") {
    address.remove_prefix(8);
    https = true;
  } else {
    return std::nullopt;
  }
  const std::size_t slash = address.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  std::string host(address.substr(0, slash));
  if (https) host = host.substr(0, host.find(':')) + ":" + std::to_string(web.Port());
  const std::optional<int> site = web.SiteOfHost(host);
  if (!site) return std::nullopt;
  return std::make_pair(*site, address.substr(slash));
}

std::optional<TJudgedPage> Judge(const TSimWeb& web, int site, std::string_view target) {
  const TModernBlog modern(web);
  if (const auto page = modern.FindPage(site, target)) return JudgeModern(*page, modern.ModernLinks(*page));
  if (const auto page = web.FindPage(site, target)) {
    // Classic markup: the generator meta marks WordPress; it has no comment
    // elements, no post text and no comment form to say more.
    TJudgedPage judged;
    judged.qualifies = page->wordPress;
    return judged;
  }
  return std::nullopt;
}

}  // namespace

std::string AnchorText(std::string_view markup) {
  std::string text;
  bool inTag = false;
  for (const char c : markup) {
    if (c == '<') inTag = true;
    if (!inTag) text += c;
    if (c == '>') inTag = false;
  }
  std::string out;
  for (const char c : DecodeReferences(text)) {
    const bool blank = c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
    if (blank) {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += c;
    }
  }
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return out.empty() ? "-" : out;
}

TLiveFigures SimulatedFigures(const TSimWeb& web) {
  TLiveFigures figures;
  figures.authority = [&web](int site) {
    const std::optional<int> shown = TOpenPageRankService(web).ShownAuthority(TSimWeb::SiteIp(site));
    return shown ? std::to_string(*shown) : std::string("-");
  };
  figures.trafficRank = [&web](int site) { return TTrancoDownload(web).ShownSiteRank(site); };
  return figures;
}

std::optional<TExpectedLiveRow> ExpectedLiveRow(const TSimWeb& web, std::string_view address,
                                                std::string_view userDomain, const TLiveFigures& figures) {
  const auto siteAndTarget = SiteAndTarget(web, address);
  if (!siteAndTarget) return std::nullopt;
  const auto [site, target] = *siteAndTarget;
  const std::optional<TJudgedPage> page = Judge(web, site, target);
  if (!page || !page->qualifies) return std::nullopt;

  TExpectedLiveRow row;
  row.authority = figures.authority ? figures.authority(site) : "-";
  row.url = std::string(address);
  row.comments = page->commentsOpen ? "Open" : "Closed";
  row.commentLinks = page->commentLinks;
  row.hasYourLink = "No";
  row.anchorName = "-";
  const std::string domain = DomainOf(userDomain);
  if (!domain.empty()) {
    for (const TPageLink& link : page->candidates) {
      if (IsUnder(HostOfTarget(link.target), domain)) {
        row.hasYourLink = "Yes";
        row.anchorName = AnchorText(link.anchor);
        break;
      }
    }
  }
  row.trafficRank = figures.trafficRank ? figures.trafficRank(site) : "-";
  return row;
}

std::vector<TExpectedLiveRow> ExpectedLiveRows(const TSimWeb& web, const std::vector<std::string>& harvest,
                                               std::string_view userDomain, const TLiveFigures& figures) {
  std::vector<TExpectedLiveRow> rows;
  for (const std::string& address : harvest) {
    if (auto row = ExpectedLiveRow(web, address, userDomain, figures)) rows.push_back(std::move(*row));
  }
  return rows;
}

}  // namespace halvane::sim
