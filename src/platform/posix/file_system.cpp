// Attributes, times, temporary names and whole-file operations on POSIX, with the results the
// Windows calls give (a rename never replaces an existing file, a copy replaces its target).
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/dos_time.h"
#include "platform/platform.h"
#include "platform/posix/stat_attributes.h"

namespace larkspur::platform {

namespace {

constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;
// Temporary names carry four hex digits, as GetTempFileNameA's do.
constexpr unsigned kTempNumbers = 0x10000;
// GetTempFileNameA uses at most three characters of the prefix.
constexpr std::size_t kTempPrefixLength = 3;

std::string hex4(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", value & 0xFFFFu);
  return text;
}

} // namespace

std::int32_t fileAttributes(const std::string& name) {
  const auto info = posix::pathInfo(name);
  return info ? static_cast<std::int32_t>(info->attributes) : -1;
}

bool setFileAttributes(const std::string& name, std::uint32_t attributes) {
  struct stat st {};
  if (::stat(name.c_str(), &st) != 0)
    return false;
  mode_t mode = st.st_mode & 07777;
  if (attributes & faReadOnly) {
    mode &= ~kAnyWrite;
  } else if ((mode & kAnyWrite) == 0) {
    mode |= S_IWUSR;
  }
  return ::chmod(name.c_str(), mode) == 0;
}

bool fileExists(const std::string& name) {
  const auto info = posix::pathInfo(name);
  return info && (info->attributes & faDirectory) == 0;
}

bool directoryExists(const std::string& name) {
  const auto info = posix::pathInfo(name);
  return info && (info->attributes & faDirectory) != 0;
}

std::uint32_t fileDosTime(const std::string& name) {
  const auto info = posix::pathInfo(name);
  return info ? info->dosTime : 0xFFFFFFFFu;
}

bool setFileDosTime(const std::string& name, std::uint32_t dosTime) {
  const auto time = timeTFromLocal(splitDosTime(dosTime));
  if (!time)
    return false;
  const timespec times[2] = {{0, UTIME_OMIT}, {*time, 0}};
  return ::utimensat(AT_FDCWD, name.c_str(), times, 0) == 0;
}

std::uint32_t currentDosTime() {
  return dosTimeFromTimeT(std::time(nullptr));
}

std::string tempDirectory() {
  const char* dir = std::getenv("TMPDIR");
  std::string result = dir != nullptr && *dir != '\0' ? dir : "/tmp";
  if (result.back() != '/')
    result += '/';
  return result;
}

std::string makeTempFile(const std::string& directory, const std::string& prefix) {
  std::string base = directory;
  if (!base.empty() && base.back() != '/')
    base += '/';
  base += prefix.substr(0, kTempPrefixLength);
  // Start somewhere different in every process so concurrent runs rarely collide.
  const unsigned start =
      static_cast<unsigned>(std::time(nullptr)) ^ (static_cast<unsigned>(::getpid()) << 4);
  for (unsigned i = 0; i < kTempNumbers; ++i) {
    const unsigned number = (start + i) % kTempNumbers;
    if (number == 0)
      continue; // GetTempFileNameA never hands out 0000
    const std::string name = base + hex4(number) + ".tmp";
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      return name;
    }
    if (errno != EEXIST)
      break;
  }
  throw FileCreateError("Cannot create file \"" + base + "XXXX.tmp\". " + std::strerror(errno));
}

bool renameFile(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
    return true;
  if (errno != EINVAL && errno != ENOSYS)
    return false;
  // File systems without RENAME_NOREPLACE: a hard link is refused just as atomically when the
  // name exists; then the old name goes.
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return true;
  }
  if (errno == EEXIST)
    return false;
  // No hard links either (some network and FAT file systems): check, then move. Two runs may
  // meet in between here, a risk only such file systems keep.
  struct stat st {};
  if (::lstat(to.c_str(), &st) == 0)
    return false;
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool replaceFileAtomically(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

void flushDirectory(const std::string& directory) {
  const int fd =
      ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0)
    return;
  ::fsync(fd);
  ::close(fd);
}

bool deleteFileIfUnused(const std::string& name) {
  const int fd = ::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return false;
  // The writer of a temporary file holds this lock until the file has its final name.
  const bool unused = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  const bool deleted = unused && ::unlink(name.c_str()) == 0;
  ::close(fd);
  return deleted;
}

bool deleteFile(const std::string& name) {
  return ::unlink(name.c_str()) == 0;
}

bool copyFile(const std::string& from, const std::string& to) {
  struct stat st {};
  if (::stat(from.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
    return false;
  try {
    File source = File::open(from, Access::Read, Share::DenyWrite);
    File target = File::create(to);
    char buffer[65536];
    bool complete = true;
    for (std::size_t n; complete && (n = source.read(buffer, sizeof buffer)) > 0;)
      complete = target.write(buffer, n) == n;
    if (!complete) {
      deleteFile(to);
      return false;
    }
  } catch (const Error&) {
    return false;
  }
  // Like CopyFileA: the copy keeps the source's modification time and permissions.
  const timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
  ::utimensat(AT_FDCWD, to.c_str(), times, 0);
  ::chmod(to.c_str(), st.st_mode & 07777);
  return true;
}

bool createDirectory(const std::string& name) {
  return ::mkdir(name.c_str(), 0777) == 0;
}
bool removeDirectory(const std::string& name) {
  return ::rmdir(name.c_str()) == 0;
}

// POSIX has no critical-error dialogs to switch off.
CriticalErrorsOff::CriticalErrorsOff() = default;
CriticalErrorsOff::~CriticalErrorsOff() = default;

} // namespace larkspur::platform
