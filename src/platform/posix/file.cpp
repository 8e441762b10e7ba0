// The platform file on POSIX: a file descriptor. Share modes have no POSIX equivalent that other
// programs honour, so they are accepted and not enforced.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/platform.h"

namespace larkspur::platform {

struct File::Impl {
  int fd = -1;
  std::string name;
  ~Impl() {
    if (fd >= 0)
      ::close(fd);
  }
};

namespace {

std::string reason() {
  return std::strerror(errno);
}

// Windows cannot open a directory as a file; refuse it here too so both systems agree.
bool isDirectoryFd(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
}

// A pipe or socket has no contents to archive, and reading one would wait for a writer forever.
bool isPipeFd(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode));
}

} // namespace

File::File(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
File::File(File&&) noexcept = default;
File& File::operator=(File&&) noexcept = default;
File::~File() = default;

File File::create(const std::string& name) {
  auto impl = std::make_unique<Impl>();
  impl->name = name;
  impl->fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (impl->fd < 0)
    throw FileCreateError("Cannot create file \"" + name + "\". " + reason());
  return File(std::move(impl));
}

File File::createNew(const std::string& name) {
  auto impl = std::make_unique<Impl>();
  impl->name = name;
  impl->fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (impl->fd < 0)
    throw FileCreateError("Cannot create file \"" + name + "\". " + reason());
  return File(std::move(impl));
}

File File::open(const std::string& name, Access access, Share /*share*/) {
  int flags = O_CLOEXEC;
  switch (access) {
  case Access::Read:
    flags |= O_RDONLY;
    break;
  case Access::Write:
    flags |= O_WRONLY;
    break;
  case Access::ReadWrite:
    flags |= O_RDWR;
    break;
  }
  auto impl = std::make_unique<Impl>();
  impl->name = name;
  // Non-blocking so that opening a named pipe cannot hang; cleared again for regular files.
  impl->fd = ::open(name.c_str(), flags | O_NONBLOCK);
  if (impl->fd < 0)
    throw FileOpenError("Cannot open file \"" + name + "\". " + reason());
  if (isDirectoryFd(impl->fd))
    throw FileOpenError("Cannot open file \"" + name + "\". " + std::strerror(EISDIR));
  if (isPipeFd(impl->fd))
    throw FileOpenError("Cannot open file \"" + name + "\". Not a regular file");
  ::fcntl(impl->fd, F_SETFL, ::fcntl(impl->fd, F_GETFL) & ~O_NONBLOCK);
  return File(std::move(impl));
}

std::size_t File::read(void* buffer, std::size_t count) {
  auto* out = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::read(impl_->fd, out + done, count - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      throw FileIoError("Read error on \"" + impl_->name + "\". " + reason());
    if (n == 0)
      break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

// A refused write (disk full, quota) ends the transfer; the caller sees the short count.
std::size_t File::write(const void* buffer, std::size_t count) {
  const auto* in = static_cast<const char*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::write(impl_->fd, in + done, count - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

std::int64_t File::seek(std::int64_t offset, SeekOrigin origin) {
  int whence = SEEK_SET;
  if (origin == SeekOrigin::Current)
    whence = SEEK_CUR;
  if (origin == SeekOrigin::End)
    whence = SEEK_END;
  const off_t result = ::lseek(impl_->fd, static_cast<off_t>(offset), whence);
  if (result < 0)
    throw FileIoError("Seek error on \"" + impl_->name + "\". " + reason());
  return result;
}

std::int64_t File::size() {
  struct stat st {};
  if (::fstat(impl_->fd, &st) != 0)
    throw FileIoError("Cannot get the size of \"" + impl_->name + "\". " + reason());
  return st.st_size;
}

bool File::setSize(std::int64_t size) {
  return size >= 0 && ::ftruncate(impl_->fd, static_cast<off_t>(size)) == 0;
}

void File::flushToDisk() {
  ::fsync(impl_->fd);
}

bool File::lockExclusive(bool wait) {
  // flock, not fcntl: its lock belongs to this open file, so closing another descriptor of the
  // same file elsewhere in the process does not drop it.
  for (;;) {
    if (::flock(impl_->fd, LOCK_EX | (wait ? 0 : LOCK_NB)) == 0)
      return true;
    // A file system without locks: nothing to wait for, and refusing would forbid every write.
    if (errno == ENOLCK || errno == EOPNOTSUPP || errno == EINVAL)
      return true;
    if (errno != EINTR || !wait)
      return false;
    if (cancelRequested())
      return false; // the wait was interrupted on purpose
  }
}

bool File::isNamedBy(const std::string& name) {
  struct stat mine {};
  struct stat named {};
  return ::fstat(impl_->fd, &mine) == 0 && ::stat(name.c_str(), &named) == 0 &&
         mine.st_dev == named.st_dev && mine.st_ino == named.st_ino;
}

} // namespace larkspur::platform
