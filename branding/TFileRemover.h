#pragma once
// Deletes a working file on every path out of a scope, exceptions included.
#include <string>
#include <utility>

#include "branding/WorkingFiles.h"

namespace halvane {

class TFileRemover {
 public:
  explicit TFileRemover(std::string path) : FPath(std::move(path)) {}
  ~TFileRemover() { if (!FPath.empty()) RemoveFileQuietly(FPath); }
  TFileRemover(const TFileRemover&) = delete;
  TFileRemover& operator=(const TFileRemover&) = delete;
  void Release() noexcept { FPath.clear(); }

 private:
  std::string FPath;
};

}  // namespace halvane
