// The rules that keep an entry inside the target folder: a stored name becomes a list of plain
// path components, or a reason to leave the entry out. Both systems' rules are available on
// either, so each can be tested natively.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/paths.h"

namespace larkspur::extract {

struct NameRules {
  bool windows; // "\" separates, drives, device names, trailing dots and blanks matter
  paths::LeadByteTest isLeadByte;
};

NameRules nativeNameRules();

struct SafeName {
  std::vector<std::string> components; // each a plain name: no separator, ".", ".." or device
  bool isDirectory = false;            // the stored name ended with a separator
  std::string unsafeReason;            // non-empty: the entry must be left out
};

// `name` is the entry's name in the system's encoding with "/" (and on Windows also "\") between
// its parts.
SafeName checkEntryName(std::string_view name, const NameRules& rules);

} // namespace larkspur::extract
