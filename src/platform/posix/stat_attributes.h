// What the POSIX implementation reports for one path: its DOS attributes, size and time, read
// from stat(2). Shared by the attribute queries and the directory listing.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string>

namespace larkspur::platform::posix {

struct PathInfo {
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
  std::uint32_t dosTime = 0;
  bool symlinkToDirectory = false;
};

// Follows symbolic links; a dangling link is described by the link itself.
std::optional<PathInfo> pathInfo(const std::string& name);

} // namespace larkspur::platform::posix
