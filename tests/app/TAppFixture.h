#pragma once
// A main window over a temporary program folder, with the settings reader,
// the script host, the process exit and the browser replaced by recorders.
#include <QTemporaryDir>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "branding/TBrandSettings.h"
#include "app/TProgramServices.h"
#include "classicrun/TServiceEndpoints.h"
#include "app/TfrmMain.h"

namespace halvane::test {

class TAppFixture {
 public:
  // folderTemplate: a QTemporaryDir template for the program folder.
  explicit TAppFixture(const QString& folderTemplate = QString());
  ~TAppFixture();

  std::string Folder() const;
  void WriteFile(const std::string& name, const std::string& bytes) const;
  void CopyData(const std::string& dataFile, const std::string& name) const;
  bool Exists(const std::string& name) const;
  std::string ReadFile(const std::string& name) const;

  // Nothing: no settings file. Otherwise the reader reports a file and
  // fills the record with these values.
  std::optional<TBrandSettings> Settings;
  bool NewsButtonRule = false;
  // Read dbsettings.dat with the program's own reader instead.
  bool RealSettingsReader = false;
  // Load and release the real checksum script (PageRank queries need it).
  bool RealChecksumScript = false;
  // Loopback addresses that refuse connections unless a test points them
  // at its own server.
  TServiceEndpoints Endpoints;

  // Builds the window (FormCreate runs); Show() also runs FormShow.
  TfrmMain& Create();
  TfrmMain& Show();
  TfrmMain& Main() { return *FMain; }

  std::vector<std::string> BrowserOpened;
  std::vector<std::string> DocumentsOpened;
  int ScriptReleases = 0;
  std::vector<int> Exits;

 private:
  QTemporaryDir FDir;
  std::unique_ptr<TfrmMain> FMain;
};

// A JPEG, PNG or BMP picture of the given size.
std::string EncodePicture(int width, int height, const char* format);
// zlib compress2 output, the skin file format.
std::string PackSkin(const std::string& styleSheet);
// An encrypted settings file holding the plain document.
std::string EncryptSettings(const std::string& document);

}  // namespace halvane::test
