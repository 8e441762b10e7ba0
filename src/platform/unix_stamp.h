// What a POSIX host records of a file beyond the DOS fields: its mode (type and permission
// bits) and its modification time in UTC, for the archive fields other tools restore them from.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace larkspur::platform {

struct UnixStamp {
  std::uint32_t mode = 0;    // st_mode: S_IFREG/S_IFDIR/... and the 07777 bits
  std::int64_t modified = 0; // seconds since 1970-01-01 00:00 UTC
};

// Nothing where the system keeps no such fields (Windows) or the path cannot be read.
std::optional<UnixStamp> unixStamp(const std::string& path);

} // namespace larkspur::platform
