#pragma once
#include <string>

namespace halvane {

// The news server row chosen by the brander type: product type code ("BM",
// "BP" or "BG"), publisher identity and the server's base address.
struct TNewsTier {
  std::string ProductTypeCode;
  std::string PublisherId;
  std::string BaseUrl;
};

}  // namespace halvane
