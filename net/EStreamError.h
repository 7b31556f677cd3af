#pragma once
#include <stdexcept>
#include <string>

namespace halvane {

// A failure of a byte stream: a file that cannot be opened, read or written,
// or an operation the stream does not support.
class EStreamError : public std::runtime_error {
 public:
  explicit EStreamError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace halvane
