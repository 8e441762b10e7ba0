// A file's version stamp: what tells, without reading the file, that its content may have changed
// since it was last looked at (size, last write time to the system's precision, and on POSIX the
// status change time and the file's identity).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace larkspur::platform {

struct FileStamp {
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // last write, in the system's own units
  std::int64_t changed = 0;   // POSIX status change (a rewrite that kept the time); else 0
  std::uint64_t identity = 0; // POSIX device and inode mixed; else 0

  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of the file `name` (links followed); nothing when it cannot be read.
std::optional<FileStamp> fileStamp(const std::string& name);

} // namespace larkspur::platform
