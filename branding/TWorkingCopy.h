#pragma once
// The plain working copy of the settings (dbsettings.sim). Whatever stands
// under its name beforehand (a link, a pipe, a file left by a crash, a hard
// link to someone else's file) is unlinked without being opened; the copy is
// then created new (O_CREAT | O_EXCL | O_NOFOLLOW, owner-only), written and
// read through its own descriptor only, and unlinked at the end while its
// name still names it. So plain text never reaches a file we did not just
// create.
#include <sys/types.h>

#include <string>
#include <string_view>

namespace halvane {

class TWorkingCopy {
 public:
  // Throws std::system_error when the copy cannot be created (a folder we
  // may not write to, a folder of that name).
  explicit TWorkingCopy(std::string path);
  ~TWorkingCopy();
  TWorkingCopy(const TWorkingCopy&) = delete;
  TWorkingCopy& operator=(const TWorkingCopy&) = delete;

  // Appends bytes; throws std::system_error on a write error.
  void Write(std::string_view bytes);
  // Everything written so far, read back from the file.
  std::string ReadAll();

 private:
  std::string FPath;
  int FDescriptor = -1;
  dev_t FDevice = 0;
  ino_t FInode = 0;
};

}  // namespace halvane
