#pragma once
// One key of the sources file that a search engine or an authority or
// ranking source needs: where it stands, what it fills, how the Sources
// dialog shows it.
#include <string>

#include "sources/TSources.h"

namespace halvane::sources {

struct TSourceKey {
  // How the value is read and written back.
  enum class TKind {
    Address,          // an http(s) address
    OptionalAddress,  // the same, or none/empty
    Token,            // no blanks or control characters (a key)
    File,             // a path, ~/ expanded; none clears it
    OptionalFile,     // the same, written back as none when empty
  };

  const char* Section;  // "search"
  const char* Name;     // "brave-key"
  std::string TSources::*Field;
  TKind Kind;
  bool Secret;    // shown masked
  bool Required;  // the source cannot be used while it is empty
  bool NamesFile;
  // What the value is, for the message when a required key is missing:
  // "a Brave Search API subscription token".
  const char* Needs;
  const char* Label;    // the dialog's row: "Brave key"
  const char* Control;  // the dialog's edit: "edtBraveKey"
};

}  // namespace halvane::sources
