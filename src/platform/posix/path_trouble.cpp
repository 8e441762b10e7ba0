// Path troubles on POSIX: stat(2), then an open or opendir for what it cannot tell.
#include "platform/path_trouble.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace larkspur::platform {

namespace {

PathTrouble fromErrno(int error) {
  switch (error) {
  case ENOENT:
  case ENOTDIR:
    return PathTrouble::NotFound;
  case ENAMETOOLONG:
    return PathTrouble::TooLong;
  default:
    return PathTrouble::Unreadable;
  }
}

} // namespace

PathTrouble pathTrouble(const std::string& path, bool folder) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0)
    return fromErrno(errno);
  if (S_ISDIR(st.st_mode)) {
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr)
      return fromErrno(errno);
    ::closedir(dir);
    return PathTrouble::None;
  }
  if (!S_ISREG(st.st_mode))
    return PathTrouble::NotRegular;
  if (folder)
    return PathTrouble::None;
  // Non-blocking, as a pipe created since the stat must not hang the question.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
  if (fd < 0)
    return fromErrno(errno);
  ::close(fd);
  return PathTrouble::None;
}

} // namespace larkspur::platform
