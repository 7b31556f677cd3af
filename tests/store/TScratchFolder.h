#pragma once
// A folder of its own under the test's temporary folder, removed with
// everything in it when the object goes.
#include <string>

namespace halvane::store::test {

class TScratchFolder {
 public:
  // Under parent (ending in '/'), by default the test's temporary folder.
  explicit TScratchFolder(const std::string& parent = {});
  ~TScratchFolder();
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;

  const std::string& Path() const { return FPath; }

 private:
  std::string FPath;
};

}  // namespace halvane::store::test
