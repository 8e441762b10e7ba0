// The check an update makes before it copies an archive's entries raw: every entry's local
// header is where the directory says, names the same file, gives the same sizes where it gives
// any, and its data lies inside the archive without running into the next entry. An entry that
// fails would be copied as someone else's bytes, or lost.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "zip/format/sorted_zip.h"
#include "zip/format/stream.h"

namespace larkspur::zip {

struct UncopyableEntry {
  std::string name;   // the entry's name as the directory gives it
  std::string reason; // what is wrong, in words
};

// The first entry of `entries` (a directory in stored order) that cannot be copied from
// `archive` as the directory describes it, or nothing when every one can. Entry data must end
// at or before `dataEnd` (where the central directory begins). Reads only inside the archive;
// hostile values give a reason, never a read out of bounds.
std::optional<UncopyableEntry> FindUncopyableEntry(TStream& archive, const TSortedZip& entries,
                                                   std::int64_t dataEnd);

} // namespace larkspur::zip
