#pragma once
// The sources file (sources.ini): where a live run's figures come from.
//
//   TSources s = TSourcesFile::Read(TSourcesFile::DefaultPath(), false);
//   TSourcesFile::Write(path, s);   // keeps the file's comments and unknown lines
//
// Reading validates everything: an unknown section or key, a bad value or a
// missing companion value (engine = brave without brave-key) throws
// TSourcesFileError with a message naming the file, the line and the key:
// "sources.ini line 12: [network] parallel must be 1 to 16, not 40".
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

#include "sources/TSources.h"

namespace halvane::sources {

class TSourcesFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TSourcesFile {
 public:
  // Larger files are refused: a sources file is a few hundred bytes.
  static constexpr std::size_t kMaxFileBytes = 256 * 1024;
  // A CA file larger than this is refused: the whole system bundle is 0.2 MB.
  static constexpr std::uint64_t kMaxCaFileBytes = 16 * 1024 * 1024;

  // $XDG_CONFIG_HOME/halvane/sources.ini (~/.config/halvane/sources.ini).
  static std::string DefaultPath();
  // $XDG_DATA_HOME/halvane/tranco.csv (~/.local/share/halvane/tranco.csv).
  static std::string DefaultTrancoFile();

  // The defaults of a file without any line: every source classic.
  static TSources Defaults();

  // Reads and validates path, and checks that a ca-file it names is a
  // regular file of at most kMaxCaFileBytes. A missing file gives Defaults()
  // unless mustExist (the file was named on the command line). Throws
  // TSourcesFileError. Messages show addresses without their user
  // information, and keys never.
  static TSources Read(const std::string& path, bool mustExist);
  // The same on text, files named in it not looked at; fileName only names
  // the file in messages.
  static TSources Parse(std::string_view text, std::string_view fileName);

  // Writes sources to path atomically with mode 0600, creating its folder
  // (mode 0700) when missing. Lines of an existing file stay as they are,
  // except the values of the keys sources sets; a key missing from the file
  // is added only when its value is not the default. Throws
  // TSourcesFileError when the file cannot be written.
  static void Write(const std::string& path, const TSources& sources);
  // What Write puts in place of existingText.
  static std::string Render(std::string_view existingText, const TSources& sources);

 private:
  // Parse, keeping the line of each key given ("network.ca-file" -> 7).
  static TSources ParseText(std::string_view text, std::string_view fileName, std::map<std::string, int>& seen);
};

}  // namespace halvane::sources
