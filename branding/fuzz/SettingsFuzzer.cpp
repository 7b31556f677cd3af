// Arbitrary bytes as dbsettings.dat: decrypted with the program's password
// and read as the settings document. Random bytes rarely pass the verifier
// and the authentication code, so they are also read as a plain document.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "branding/BrandSettings.h"
#include "branding/CryptFile.h"

namespace {

void ReadDocument(std::string_view plain) {
  halvane::TBrandDocument document = halvane::ReadBrandDocument(plain);
  halvane::TBrandRandom random(plain.size());
  halvane::ChooseBrandEntries(document, random);
  const halvane::TBrandSettings& s = document.Settings;
  if (s.BannerNumber < 0 || s.BannerNumber > 16 || document.Banner.size() > 16 ||
      s.MakeMoneyCaption.empty()) {
    std::abort();
  }
  (void)halvane::NewsButtonShown(s);
  (void)halvane::FindLastNewsId(plain);
  // Whatever the document, the rewritten entry is the one read back.
  auto lines = halvane::SplitSettingsLines(plain);
  halvane::SetLastNewsIdLine(lines, "57");
  if (halvane::FindLastNewsId(halvane::JoinSettingsLines(lines)) != "57") std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > (1u << 16)) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::string plain;
  if (halvane::DecryptSettingsBytes(bytes, plain)) ReadDocument(plain);
  ReadDocument(bytes);
  return 0;
}
