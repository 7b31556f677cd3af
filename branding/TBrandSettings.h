#pragma once
// The branding values of the edition, read once at start-up.
#include <string>

namespace halvane {

struct TBrandSettings {
  std::string ApplicationName;
  std::string BranderCode;
  std::string BranderType;
  std::string AffiliateURL;
  std::string MasterNewsBaseURL;
  std::string PlatinumNewsBaseURL;
  std::string GoldNewsBaseURL;
  std::string MasterPublID;
  std::string PlatinumPublID;
  std::string GoldPublID;
  std::string MakeMoneyCaption;
  std::string AppHelpURL;
  std::string CopyrightYears;
  std::string CopyrightCompany;
  std::string AboutText;
  std::string WelcomeHtml;
  int BannerNumber = 0;
  std::string BannerFile;
  std::string BannerURL;
  std::string Link1Caption;
  std::string Link1URL;
  std::string Link2Caption;
  std::string Link2URL;
};

}  // namespace halvane
