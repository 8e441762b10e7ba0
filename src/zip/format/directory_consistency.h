// Whether a central directory read from a single-file archive agrees with the end record that
// announced it: the entry count, the directory's size, and that it ends where the end record
// begins. A disagreement means entries may be missing from what was read, or lie elsewhere.
#pragma once

#include <cstdint>
#include <string>

#include "zip/format/end_central.h"

namespace larkspur::zip {

struct DirectoryExtent {
  int entriesHeld = 0;             // entries read into the directory
  std::int64_t headersEnd = 0;     // where the last central header read ends
  bool headersRead = false;        // false when the end record announced an empty directory
  bool singleFile = true;          // false for a multi-disk set or its configuration file
  bool zip64RecordsBefore = false; // 64-bit end records sit between directory and end record
};

// The first disagreement, in words, or empty when there is none.
std::string DirectoryDisagreement(const TEndCentral& end, const DirectoryExtent& read);

} // namespace larkspur::zip
