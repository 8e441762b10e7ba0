// The mode and UTC modification time from stat(2), following links as the writer's reads do.
#include "platform/unix_stamp.h"

#include <sys/stat.h>

namespace larkspur::platform {

std::optional<UnixStamp> unixStamp(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0)
    return std::nullopt;
  return UnixStamp{static_cast<std::uint32_t>(st.st_mode), static_cast<std::int64_t>(st.st_mtime)};
}

} // namespace larkspur::platform
