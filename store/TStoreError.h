#pragma once
// What goes wrong with the store, in words a user can act on: the message
// names the store (its file, or its URL without the password) and the step
// that failed.
#include <stdexcept>

namespace halvane::store {

class TStoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace halvane::store
