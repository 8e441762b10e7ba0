// Maps stat(2) results onto the DOS attribute bits and local DOS times the engine expects.
#include "platform/posix/stat_attributes.h"

#include "platform/dos_time.h"
#include "platform/platform.h"

namespace larkspur::platform::posix {

namespace {

// Read-only means nobody may write: the DOS flag has no owner/group distinction.
constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;

} // namespace

std::optional<PathInfo> pathInfo(const std::string& name) {
  if (name.empty())
    return std::nullopt;
  struct stat st {};
  struct stat link {};
  const bool isLink = ::lstat(name.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
  if (::stat(name.c_str(), &st) != 0) {
    if (!isLink)
      return std::nullopt;
    st = link;
  }
  PathInfo info;
  if (S_ISDIR(st.st_mode)) {
    info.attributes = faDirectory;
    info.symlinkToDirectory = isLink;
  } else {
    info.attributes = faArchive;
    info.size = static_cast<std::uint64_t>(st.st_size);
  }
  if ((st.st_mode & kAnyWrite) == 0)
    info.attributes |= faReadOnly;
  info.dosTime = dosTimeFromTimeT(st.st_mtime);
  return info;
}

} // namespace larkspur::platform::posix
