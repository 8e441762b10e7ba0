// Windows keeps no Unix mode: its archives carry the DOS fields alone.
#include "platform/unix_stamp.h"

namespace larkspur::platform {

std::optional<UnixStamp> unixStamp(const std::string&) {
  return std::nullopt;
}

} // namespace larkspur::platform
