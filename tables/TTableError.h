#pragma once
// What goes wrong with a table or its index, in words a user can act on; the
// message names the file (and the line, for a table).
#include <stdexcept>

namespace halvane::tables {

class TTableError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace halvane::tables
