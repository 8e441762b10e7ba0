// Gives an extracted file the permission bits an archive made on Unix stored for it: the mode
// itself on POSIX, read-only on Windows when the owner could not write it.
#pragma once

#include <cstdint>
#include <string>

namespace larkspur::extract {

// No set-id or sticky bits from an archive, only rwx for owner, group and others.
inline constexpr std::uint32_t kPermissionBits = 0777;

// Applies `mode & kPermissionBits` to `path`; a mode without permission bits changes nothing.
void restoreUnixMode(const std::string& path, std::uint32_t mode);

} // namespace larkspur::extract
