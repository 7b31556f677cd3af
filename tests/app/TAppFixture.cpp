#include "tests/app/TAppFixture.h"
#include "tests/app/TestWindowHelpers.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "branding/CryptFile.h"
#include "branding/SkinFile.h"
#include "toolkit/TMessageBox.h"
#include "toolkit/TSaveDialog.h"
#include "toolkit/TShell.h"

namespace halvane::test {

TAppFixture::TAppFixture(const QString& folderTemplate)
    : FDir(folderTemplate.isEmpty() ? QDir::tempPath() + QStringLiteral("/halvane-XXXXXX") : folderTemplate) {
  Endpoints.SearchHost = "127.0.0.1:1";
  Endpoints.ImageSearchPrefix = "http://images.google";
  Endpoints.PageRankHost = "127.0.0.1:1";
  Endpoints.RankingHost = "127.0.0.1:1";
  Endpoints.UpdateBaseURL = "http://127.0.0.1:1/liveupdate/halvane/";
  TShell::SetOpeners([this](const std::string& a) { BrowserOpened.push_back(a); return true; },
                     [this](const std::string& a) { DocumentsOpened.push_back(a); return true; });
}

TAppFixture::~TAppFixture() {
  FMain.reset();
  TShell::SetOpeners({}, {});
}

std::string TAppFixture::Folder() const { return FDir.path().toStdString() + "/"; }

void TAppFixture::WriteFile(const std::string& name, const std::string& bytes) const {
  std::ofstream out(Folder() + name, std::ios::binary | std::ios::trunc);
  out << bytes;
}

void TAppFixture::CopyData(const std::string& dataFile, const std::string& name) const {
  std::filesystem::copy_file(std::string(HALVANE_TEST_DATA) + "/" + dataFile, Folder() + name,
                             std::filesystem::copy_options::overwrite_existing);
}

bool TAppFixture::Exists(const std::string& name) const { return std::filesystem::exists(Folder() + name); }

std::string TAppFixture::ReadFile(const std::string& name) const {
  std::ifstream in(Folder() + name, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TfrmMain& TAppFixture::Create() {
  TProgramServices services;
  services.LoadBrandSettings = [this](const std::string& folder, TBrandSettings& settings) {
    if (folder != Folder()) return false;
    if (!Settings) return false;
    settings = *Settings;
    return true;
  };
  services.NewsButtonShown = [this](const TBrandSettings&) { return NewsButtonRule; };
  if (RealSettingsReader) {
    const TProgramServices production = ProductionServices();
    services.LoadBrandSettings = production.LoadBrandSettings;
    services.NewsButtonShown = production.NewsButtonShown;
  }
  services.LoadChecksumScript = [] {};
  services.ReleaseChecksumScript = [this] { ++ScriptReleases; };
  if (RealChecksumScript) {
    const TProgramServices production = ProductionServices();
    production.LoadChecksumScript();
    services.ReleaseChecksumScript = [this, release = production.ReleaseChecksumScript] {
      ++ScriptReleases;
      release();
    };
  }
  services.ExitProcess = [this](int code) { Exits.push_back(code); };
  FMain = std::make_unique<TfrmMain>(Folder(), Endpoints, services);
  Control<TMessageBox>(*FMain, "msgMain")->SetTestMode(true);
  Control<TSaveDialog>(*FMain, "bsSkinSaveDialog1")->SetTestMode(true);
  return *FMain;
}

TfrmMain& TAppFixture::Show() {
  if (!FMain) Create();
  FMain->show();
  QTest::qWait(0);
  return *FMain;
}

std::string EncodePicture(int width, int height, const char* format) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(QColor(0x3a, 0x7c, 0xc2));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return bytes.toStdString();
}

std::string EncryptSettings(const std::string& document) {
  std::string container;
  EncryptSettingsBytes(document, container);
  return container;
}

std::string PackSkin(const std::string& styleSheet) { return CompressSkin(styleSheet); }

}  // namespace halvane::test
