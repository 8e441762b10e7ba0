// The largest values the format's classic fixed-width fields hold, and what the writer does past
// them: an archive in one file writes the 64-bit fields there, an archive split over disks or
// block files keeps to the classic fields and refuses a file, an archive or an entry count
// beyond them before anything that would not fit is written.
#pragma once

#include <cstdint>
#include <string>

#include "zip/format/zip64_records.h"
#include "zip/format/zip_header_info.h"

namespace larkspur::zip {

struct ZipLimits {
  // Sizes and offsets are 32-bit fields whose all-ones value announces a 64-bit field, so a
  // value from it on does not fit them.
  std::uint64_t sizeLimit = kZip64Marker32;
  // Entry counts are 16-bit fields in the end record, all ones announcing the 64-bit record.
  std::uint64_t entryLimit = kZip64Marker16;
};

// What an archive in one file checks its writes against: nothing is too large for 64 bits.
inline constexpr ZipLimits kNoClassicLimits{~std::uint64_t{0}, ~std::uint64_t{0}};

// ---- An archive in one file -------------------------------------------------------------------

// Whether a file of `sizeAtOpen` bytes gets the 64-bit sizes field in its local header, which
// must be decided before its data is written and its compressed size known.
bool ReservesLocalZip64(const ZipLimits& limits, std::uint64_t sizeAtOpen);
// Readies a new entry's header: sizes and offsets from the limit on go into 64-bit fields.
void UseZip64Beyond(const ZipLimits& limits, TZipHeaderInfo& header);
// Raises EZipLimit when an entry without the 64-bit sizes field in its local header ended up
// with sizes that need it: a file that grew past the limit while it was read.
void CheckSizesFitLocalHeader(const ZipLimits& limits, const TZipHeaderInfo& header,
                              const std::string& name);

// ---- An archive split over disks or block files: the classic limits are hard -----------------

// Raises EZipLimit when a file of `size` bytes cannot be an entry.
void CheckFileSize(const ZipLimits& limits, std::uint64_t size, const std::string& name);
// Raises EZipLimit when an archive that already holds `entries` entries cannot take another.
void CheckEntryCount(const ZipLimits& limits, std::uint64_t entries);
// Raises EZipLimit when the archive would grow to `end` bytes.
void CheckArchiveEnd(const ZipLimits& limits, std::uint64_t end);

} // namespace larkspur::zip
