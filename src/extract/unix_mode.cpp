// Permission bits of Unix-made entries, mapped to what each system can keep.
#include "extract/unix_mode.h"

#include "platform/platform.h"
#include "platform/target_files.h"

namespace larkspur::extract {

void restoreUnixMode(const std::string& path, std::uint32_t mode) {
  mode &= kPermissionBits;
  if (mode == 0)
    return;
  if constexpr (platform::kFilesHaveUnixModes) {
    platform::setUnixMode(path, mode);
  } else {
    constexpr std::uint32_t kOwnerWrite = 0200;
    if ((mode & kOwnerWrite) == 0)
      platform::setFileAttributes(path, platform::faReadOnly | platform::faArchive);
  }
}

} // namespace larkspur::extract
