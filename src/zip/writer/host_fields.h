// What a POSIX host adds to a new entry so other tools restore it as it was: "made by" Unix
// with the mode in the external attributes' high half, and the extended timestamp extra field
// with the UTC modification time. Nothing on Windows, whose archives keep today's bytes.
#pragma once

#include <cstdint>
#include <string>

#include "zip/format/zip_header_info.h"

namespace larkspur::zip {

// The extended timestamp extra field and the one flag it is written with here.
inline constexpr std::uint16_t kExtendedTimestampId = 0x5455;
inline constexpr std::uint8_t kTimestampHasModified = 0x01;
// The host byte of "made by" for Unix, and where the mode sits in the external attributes.
inline constexpr std::uint16_t kHostUnix = 3;
inline constexpr int kHostShift = 8;
inline constexpr int kUnixModeShift = 16;

// Adds the fields for the file or folder `spec` (a folder ends with its separator) when the
// system keeps them; `withUtcTime` off leaves the timestamp field out.
void AddHostFields(TZipHeaderInfo& header, const std::string& spec, bool withUtcTime);

// The extended timestamp extra field holding only `modified` (the same in both headers: the
// central one never carries more than the modification time).
std::string ExtendedTimestampField(std::int64_t modified);

} // namespace larkspur::zip
