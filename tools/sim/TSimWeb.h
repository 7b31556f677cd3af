#pragma once
// The simulated web: blog sites with their pages, page ranks and traffic
// rankings, drawn deterministically from the configuration. Sites live on
// 127.0.0.2, 127.0.0.3, ...; the engine and the services on 127.0.0.1; all
// on one port.
#include <optional>
#include <string>
#include <string_view>

#include "TBlogPage.h"
#include "TSimConfig.h"

namespace halvane::sim {

enum class TRankingForm { Number, MarkupFirst, Missing };

class TSimWeb {
 public:
  TSimWeb(TSimConfig config, int port);

  const TSimConfig& Config() const { return config_; }
  int Port() const { return port_; }
  int SiteCount() const { return config_.sites; }

  static std::string SiteIp(int site);   // "127.0.0.2" for site 0
  std::string SiteHost(int site) const;  // "127.0.0.2:PORT"
  std::string ServiceHost() const;       // "127.0.0.1:PORT"
  std::string SiteName(int site) const;
  bool SiteIsWordPress(int site) const;
  // "http://" + the image-search host without its top-level domain.
  std::string ImageSearchPrefix() const;

  // The site of "127.0.0.x:PORT", or of an address "http://127.0.0.x:PORT/...".
  std::optional<int> SiteOfHost(std::string_view hostAndPort) const;
  std::optional<int> SiteOfAddress(std::string_view address) const;

  TBlogPage Page(int site, int index) const;
  // The page a request target names; everything from the first "&" (the
  // engine's tracking tail) and from "?" on is ignored.
  std::optional<TBlogPage> FindPage(int site, std::string_view target) const;
  std::string PageAddress(const TBlogPage& page) const;  // without tail
  // What the engine appends to a result link, e.g. "&amp;sa=U&amp;ved=...".
  std::string TrackingTail(const TBlogPage& page) const;

  int HomeRank(int site) const;
  // The rank the PageRank service gives a page name such as
  // "www.127.0.0.2:PORT/blog/..." (tracking tail ignored); names outside the
  // web get a stable rank of their own.
  int RankOf(std::string_view pageName) const;

  TRankingForm RankingForm(int site) const;
  std::string RankingNumber(int site) const;  // "12,345"
  // What the program reads from the ranking page: the number or "-".
  std::string ShownRanking(int site) const;

  std::string RenderPage(const TBlogPage& page) const;
  std::string RenderHomePage(int site) const;
  // The ranking site's page for the address after "/siteinfo/".
  std::string RenderRankingPage(std::string_view address) const;
  std::string RenderUpdateDescription() const;

 private:
  TSimConfig config_;
  int port_;
};

}  // namespace halvane::sim
