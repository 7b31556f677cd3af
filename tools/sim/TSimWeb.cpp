#include "TSimWeb.h"

#include <array>
#include <cstdio>

#include "SimText.h"

namespace halvane::sim {
namespace {

constexpr std::array<const char*, 16> kTopics = {
    "garden", "travel", "recipes", "cycling", "photography", "knitting", "coffee", "guitars",
    "hiking", "aquarium", "chess", "baking", "camping", "woodwork", "birding", "pottery"};

constexpr std::array<const char*, 8> kPeople = {"Anna", "Bruno", "Chiara", "Dmitri",
                                                "Elif", "Farid", "Greta", "Hiro"};

std::uint64_t PageHash(std::uint32_t seed, int site, int index) {
  return MixNumbers({seed, static_cast<std::uint64_t>(site), static_cast<std::uint64_t>(index), 1});
}

std::string Hex(std::uint64_t v, int digits) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i) {
    out[static_cast<std::size_t>(i)] = kHex[v & 15];
    v >>= 4;
  }
  return out;
}

// The request path without a tracking tail or a query.
std::string_view PathOf(std::string_view target) {
  const std::size_t cut = target.find_first_of("&?");
  return cut == std::string_view::npos ? target : target.substr(0, cut);
}

}  // namespace

TSimWeb::TSimWeb(TSimConfig config, int port) : config_(std::move(config)), port_(port) {}

std::string TSimWeb::SiteIp(int site) { return "127.0.0." + std::to_string(site + 2); }

std::string TSimWeb::SiteHost(int site) const {
  return SiteIp(site) + ":" + std::to_string(port_);
}

std::string TSimWeb::ServiceHost() const { return "127.0.0.1:" + std::to_string(port_); }

std::string TSimWeb::SiteName(int site) const {
  const std::uint64_t h = MixNumbers({config_.seed, static_cast<std::uint64_t>(site), 2});
  return std::string(kPeople[h % kPeople.size()]) + "'s " + kTopics[(h >> 8) % kTopics.size()] +
         " blog";
}

bool TSimWeb::SiteIsWordPress(int site) const { return site % 4 != 3; }

std::string TSimWeb::ImageSearchPrefix() const {
  const std::string& host = config_.imageSearchHost;
  const std::size_t dot = host.rfind('.');
  return "http://" + (dot == std::string::npos ? host : host.substr(0, dot));
}

std::optional<int> TSimWeb::SiteOfHost(std::string_view hostAndPort) const {
  constexpr std::string_view kNet = "127.0.0.";
  if (hostAndPort.substr(0, kNet.size()) != kNet) return std::nullopt;
  hostAndPort.remove_prefix(kNet.size());
  const std::size_t colon = hostAndPort.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  const auto last = ParseDecimal(hostAndPort.substr(0, colon), 255);
  const auto port = ParseDecimal(hostAndPort.substr(colon + 1), 65535);
  if (!last || !port || static_cast<int>(*port) != port_) return std::nullopt;
  const int site = static_cast<int>(*last) - 2;
  if (site < 0 || site >= config_.sites) return std::nullopt;
  return site;
}

std::optional<int> TSimWeb::SiteOfAddress(std::string_view address) const {
  constexpr std::string_view kScheme = "http://";
  if (address.substr(0, kScheme.size()) != kScheme) return std::nullopt;
  address.remove_prefix(kScheme.size());
  const std::size_t end = address.find_first_of("/&?");
  return SiteOfHost(address.substr(0, end));
}

TBlogPage TSimWeb::Page(int site, int index) const {
  const std::uint64_t h = PageHash(config_.seed, site, index);
  TBlogPage p;
  p.site = site;
  p.index = index;
  const std::string topic = kTopics[(h >> 32) % kTopics.size()];
  char date[16];
  std::snprintf(date, sizeof date, "%d/%02d", 2005 + index % 4, 1 + index % 12);
  p.path = "/blog/" + std::string(date) + "/" + topic + "-" + std::to_string(index) + "/";
  p.title = "Notes on " + topic + " #" + std::to_string(index);
  p.wordPress = SiteIsWordPress(site);
  p.capitalMarker = h % 9 == 0;
  switch ((h >> 8) % 12) {
    case 0: p.nofollow = TNofollowForm::SingleQuote; break;
    case 1: p.nofollow = TNofollowForm::DoubleQuote; break;
    case 2: p.nofollow = TNofollowForm::Bare; break;
    case 3:
    case 4: p.nofollow = TNofollowForm::LookAlike; break;
    default: p.nofollow = TNofollowForm::None;
  }
  switch ((h >> 16) % 10) {
    case 0: p.userLink = TUserLinkForm::SingleQuoted; break;
    case 1: p.userLink = TUserLinkForm::DoubleQuoted; break;
    case 2: p.userLink = TUserLinkForm::LookAlikeHost; break;
    case 3: p.userLink = TUserLinkForm::EmptyAnchor; break;
    default: p.userLink = TUserLinkForm::None;
  }
  p.rank = static_cast<int>((h >> 24) % 11);

  const std::string& d = config_.userDomain;
  p.links.push_back({"http://" + SiteHost(site) + "/", SiteName(site)});
  switch (p.userLink) {
    case TUserLinkForm::SingleQuoted: p.links.push_back({"http://www." + d + "/", "My <b>Shop</b>"}); break;
    case TUserLinkForm::DoubleQuoted: p.links.push_back({"http://" + d + "/deals/", "MyShop Deals"}); break;
    case TUserLinkForm::LookAlikeHost: p.links.push_back({"http://not" + d + "/", "Not My Shop"}); break;
    case TUserLinkForm::EmptyAnchor: p.links.push_back({"http://" + d + "/", ""}); break;
    case TUserLinkForm::None: break;
  }
  const int commenter = static_cast<int>((h >> 40) % static_cast<std::uint64_t>(config_.sites));
  p.links.push_back({"http://" + SiteHost(commenter) + "/", kPeople[(h >> 48) % kPeople.size()]});

  const std::uint64_t m = MixNumbers({config_.seed, static_cast<std::uint64_t>(site),
                                      static_cast<std::uint64_t>(index), 5});
  switch (m % 6) {
    case 0: p.sign = TWordPressSign::GeneratorOnly; break;
    case 1: p.sign = TWordPressSign::ApiLinkOnly; break;
    default: p.sign = TWordPressSign::Full;
  }
  // A blog keeps one way with its commenters' links and its threading.
  switch (site % 3) {
    case 0: p.commentFollow = TCommentFollow::Nofollow; break;
    case 1: p.commentFollow = TCommentFollow::Followed; break;
    default: p.commentFollow = TCommentFollow::AuthorsOnly;
  }
  p.threaded = site % 4 != 2;
  p.commentsOpen = (m >> 16) % 3 != 0;
  p.comments = static_cast<int>((m >> 24) % 5 == 0 ? 0 : 1 + (m >> 32) % 2);
  p.sponsored = (m >> 40) % 10 == 0;
  return p;
}

std::optional<TBlogPage> TSimWeb::FindPage(int site, std::string_view target) const {
  const std::string_view path = PathOf(target);
  if (site < 0 || site >= config_.sites || path.size() < 2 || path.back() != '/') {
    return std::nullopt;
  }
  const std::string_view slug = path.substr(0, path.size() - 1);
  const std::size_t dash = slug.rfind('-');
  if (dash == std::string_view::npos) return std::nullopt;
  const auto index = ParseDecimal(slug.substr(dash + 1), static_cast<std::uint64_t>(config_.pagesPerSite - 1));
  if (!index) return std::nullopt;
  TBlogPage page = Page(site, static_cast<int>(*index));
  if (page.path != path) return std::nullopt;
  return page;
}

std::string TSimWeb::PageAddress(const TBlogPage& page) const {
  return "http://" + SiteHost(page.site) + page.path;
}

std::string TSimWeb::TrackingTail(const TBlogPage& page) const {
  const std::uint64_t h = MixNumbers({config_.seed, static_cast<std::uint64_t>(page.site),
                                      static_cast<std::uint64_t>(page.index), 3});
  return "&amp;sa=U&amp;ved=0CB" + Hex(h, 8) + "&amp;usg=AFQjCN" + Hex(h >> 32, 8);
}

int TSimWeb::HomeRank(int site) const {
  // Distinct for the first eleven sites: 3 is prime to 11.
  return static_cast<int>((config_.seed + 3u * static_cast<unsigned>(site) + 2u) % 11u);
}

int TSimWeb::RankOf(std::string_view name) const {
  std::string_view rest = name;
  if (rest.substr(0, 4) == "www.") rest.remove_prefix(4);
  const std::size_t slash = rest.find('/');
  const std::string_view host = rest.substr(0, slash);
  const std::string_view target = slash == std::string_view::npos ? std::string_view("/") : rest.substr(slash);
  if (const auto site = SiteOfHost(host)) {
    if (PathOf(target) == "/") return HomeRank(*site);
    if (const auto page = FindPage(*site, target)) return page->rank;
  }
  return static_cast<int>(HashText(name, config_.seed) % 11);
}

TRankingForm TSimWeb::RankingForm(int site) const {
  if (site % 5 == 2) return TRankingForm::MarkupFirst;
  if (site % 7 == 4) return TRankingForm::Missing;
  return TRankingForm::Number;
}

std::string TSimWeb::RankingNumber(int site) const {
  const std::uint64_t h = MixNumbers({config_.seed, static_cast<std::uint64_t>(site), 4});
  return GroupThousands(site % 6 == 5 ? 100 + h % 900 : 1000 + h % 2000000);
}

std::string TSimWeb::ShownRanking(int site) const {
  return RankingForm(site) == TRankingForm::Number ? RankingNumber(site) : "-";
}

std::string TSimWeb::RenderPage(const TBlogPage& p) const {
  const std::string host = "http://" + SiteHost(p.site);
  std::string s;
  s.reserve(2048);
  s += "<!DOCTYPE html>\n<html>\n<head>\n<title>" + EscapeHtml(p.title) + " | " +
       EscapeHtml(SiteName(p.site)) + "</title>\n";
  if (p.wordPress) {
    s += std::string("<link rel=\"stylesheet\" href=\"") + host +
         (p.capitalMarker ? "/WP-CONTENT" : "/wp-content") +
         "/themes/simple/style.css\" type=\"text/css\" />\n"
         "<meta name=\"generator\" content=\"WordPress 2.3.1\" />\n";
  } else {
    s += "<meta name=\"generator\" content=\"Hand-written HTML\" />\n";
  }
  s += "</head>\n<body>\n";
  s += "<div id=\"header\"><a href=\"" + p.links[0].target + "\">" + p.links[0].anchor + "</a></div>\n";
  s += "<div class=\"post\">\n<h2>" + EscapeHtml(p.title) + "</h2>\n";
  s += "<p>Today a few words about " + p.title.substr(9) +
       ". Leave a comment below and tell us what you think.</p>\n";
  const std::size_t commentAt = p.links.size() - 1;
  if (commentAt == 2) {
    const TPageLink& u = p.links[1];
    s += "<p>This post was kindly supported by ";
    if (p.userLink == TUserLinkForm::SingleQuoted) {
      s += "<a class=\"sponsor\" href='" + u.target + "'>" + u.anchor + "</a>";
    } else {
      s += "<a href=\"" + u.target + "\" title=\"sponsor\">" + u.anchor + "</a>";
    }
    s += ".</p>\n";
  }
  s += "</div>\n<div id=\"comments\">\n<h3>1 Comment</h3>\n<p class=\"comment\">";
  const TPageLink& c = p.links[commentAt];
  switch (p.nofollow) {
    case TNofollowForm::None: s += "<a href=\"" + c.target + "\" class=\"url\">"; break;
    case TNofollowForm::SingleQuote: s += "<a href=\"" + c.target + "\" rel='nofollow'>"; break;
    case TNofollowForm::DoubleQuote: s += "<a href=\"" + c.target + "\" rel=\"nofollow\">"; break;
    case TNofollowForm::Bare: s += "<a href=\"" + c.target + "\" rel=nofollow>"; break;
    case TNofollowForm::LookAlike: s += "<a href=\"" + c.target + "\" rel='external nofollow' class='url'>"; break;
  }
  s += c.anchor + "</a> says: Great post, thanks!</p>\n</div>\n";
  s += p.wordPress ? "<div id=\"footer\">Proudly powered by WordPress</div>\n"
                   : "<div id=\"footer\">Made by hand</div>\n";
  s += "</body>\n</html>\n";
  return s;
}

std::string TSimWeb::RenderHomePage(int site) const {
  const std::string host = "http://" + SiteHost(site);
  std::string s = "<!DOCTYPE html>\n<html>\n<head>\n<title>" + EscapeHtml(SiteName(site)) + "</title>\n";
  if (SiteIsWordPress(site)) {
    s += "<link rel=\"stylesheet\" href=\"" + host + "/wp-content/themes/simple/style.css\" type=\"text/css\" />\n";
  }
  s += "</head>\n<body>\n<h1>" + EscapeHtml(SiteName(site)) + "</h1>\n<ul>\n";
  const int shown = config_.pagesPerSite < 10 ? config_.pagesPerSite : 10;
  for (int i = 0; i < shown; ++i) {
    const TBlogPage p = Page(site, i);
    s += "<li><a href=\"" + PageAddress(p) + "\">" + EscapeHtml(p.title) + "</a></li>\n";
  }
  s += "</ul>\n</body>\n</html>\n";
  return s;
}

std::string TSimWeb::RenderRankingPage(std::string_view address) const {
  const std::optional<int> site = SiteOfAddress(address);
  const std::string shown = EscapeHtml(address);
  std::string s = "<html>\n<head>\n<title>Site information for " + shown +
                  "</title>\n</head>\n<body>\n<div id=\"siteinfo\">\n<h1>" + shown + "</h1>\n";
  const TRankingForm form = site ? RankingForm(*site) : TRankingForm::Missing;
  const std::string globe = "<img src=\"/images/icons/globe-sm.jpg\" alt=\"Global rank\" width=\"16\" height=\"16\">";
  switch (form) {
    case TRankingForm::Number:
      s += "<div class=\"data\">" + globe + " " + RankingNumber(*site) + " </div>\n";
      break;
    case TRankingForm::MarkupFirst:
      s += "<div class=\"data\">" + globe + "<a href=\"/siteinfo/trend\">" + RankingNumber(*site) + "</a></div>\n";
      break;
    case TRankingForm::Missing:
      s += "<p>We do not have enough data to rank this site.</p>\n";
      break;
  }
  s += "</div>\n</body>\n</html>\n";
  return s;
}

std::string TSimWeb::RenderUpdateDescription() const {
  return "[APPLICATION]\r\nName=Halvane\r\nVersion=" + config_.publishedVersion + "\r\n";
}

}  // namespace halvane::sim
