// The largest values the format's fixed-width fields can hold, and the checks that refuse a file,
// an archive or an entry count beyond them before anything that would not fit is written.
#pragma once

#include <cstdint>
#include <string>

namespace larkspur::zip {

struct ZipLimits {
  // Sizes and offsets are 32-bit fields whose all-ones value announces a 64-bit extension, so a
  // file must stay below it and no offset may reach it.
  std::uint64_t maxFileSize = 0xFFFFFFFFull;
  std::uint64_t maxArchiveSize = 0xFFFFFFFFull;
  // Entry counts are 16-bit fields in the end record.
  std::uint32_t maxEntries = 0xFFFF;
};

// Raises EZipLimit when a file of `size` bytes cannot be an entry.
void CheckFileSize(const ZipLimits& limits, std::uint64_t size, const std::string& name);
// Raises EZipLimit when an archive that already holds `entries` entries cannot take another.
void CheckEntryCount(const ZipLimits& limits, std::uint64_t entries);
// Raises EZipLimit when the archive would grow to `end` bytes.
void CheckArchiveEnd(const ZipLimits& limits, std::uint64_t end);

} // namespace larkspur::zip
