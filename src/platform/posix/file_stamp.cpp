// File version stamps from stat(2), to the nanosecond.
#include "platform/file_stamp.h"

#include <sys/stat.h>

namespace larkspur::platform {

namespace {

constexpr std::int64_t kNanosPerSecond = 1000000000;

std::int64_t nanos(const timespec& t) {
  return static_cast<std::int64_t>(t.tv_sec) * kNanosPerSecond + t.tv_nsec;
}

} // namespace

std::optional<FileStamp> fileStamp(const std::string& name) {
  struct stat st {};
  if (::stat(name.c_str(), &st) != 0)
    return std::nullopt;
  FileStamp stamp;
  stamp.size = static_cast<std::uint64_t>(st.st_size);
  stamp.modified = nanos(st.st_mtim);
  stamp.changed = nanos(st.st_ctim);
  stamp.identity =
      (static_cast<std::uint64_t>(st.st_dev) << 48) ^ static_cast<std::uint64_t>(st.st_ino);
  return stamp;
}

} // namespace larkspur::platform
