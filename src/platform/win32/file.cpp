// The platform file on Windows: a CreateFileA handle with its access and share modes.
#include <windows.h>

#include <limits>

#include "platform/platform.h"
#include "platform/win32/win_error.h"

namespace larkspur::platform {

struct File::Impl {
  HANDLE handle = INVALID_HANDLE_VALUE;
  std::string name;
  ~Impl() {
    if (handle != INVALID_HANDLE_VALUE)
      CloseHandle(handle);
  }
};

namespace {

// ReadFile/WriteFile take 32-bit counts; larger transfers go in pieces.
constexpr std::size_t kMaxChunk = 1u << 30;
// Where the run lock lies: the last byte below 2^63, which no file reaches.
constexpr DWORD kLockOffsetLow = 0xFFFFFFFEu;
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFFu;

DWORD shareBits(Share share) {
  switch (share) {
  case Share::DenyNone:
    return FILE_SHARE_READ | FILE_SHARE_WRITE;
  case Share::DenyWrite:
    return FILE_SHARE_READ;
  case Share::DenyRead:
    return FILE_SHARE_WRITE;
  case Share::Exclusive:
    return 0;
  }
  return 0;
}

DWORD accessBits(Access access) {
  switch (access) {
  case Access::Read:
    return GENERIC_READ;
  case Access::Write:
    return GENERIC_WRITE;
  case Access::ReadWrite:
    return GENERIC_READ | GENERIC_WRITE;
  }
  return GENERIC_READ;
}

} // namespace

File::File(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
File::File(File&&) noexcept = default;
File& File::operator=(File&&) noexcept = default;
File::~File() = default;

File File::create(const std::string& name) {
  auto impl = std::make_unique<Impl>();
  impl->name = name;
  impl->handle = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (impl->handle == INVALID_HANDLE_VALUE)
    throw FileCreateError("Cannot create file \"" + name + "\". " +
                          win32::systemReason(GetLastError()));
  return File(std::move(impl));
}

File File::createNew(const std::string& name) {
  auto impl = std::make_unique<Impl>();
  impl->name = name;
  // Without delete sharing: nobody removes the file while it is being written.
  impl->handle =
      CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (impl->handle == INVALID_HANDLE_VALUE)
    throw FileCreateError("Cannot create file \"" + name + "\". " +
                          win32::systemReason(GetLastError()));
  return File(std::move(impl));
}

File File::open(const std::string& name, Access access, Share share) {
  auto impl = std::make_unique<Impl>();
  impl->name = name;
  impl->handle = CreateFileA(name.c_str(), accessBits(access), shareBits(share), nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (impl->handle == INVALID_HANDLE_VALUE)
    throw FileOpenError("Cannot open file \"" + name + "\". " +
                        win32::systemReason(GetLastError()));
  return File(std::move(impl));
}

std::size_t File::read(void* buffer, std::size_t count) {
  auto* out = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    DWORD got = 0;
    const auto want = static_cast<DWORD>(std::min(count - done, kMaxChunk));
    if (!ReadFile(impl_->handle, out + done, want, &got, nullptr)) {
      const DWORD code = GetLastError();
      if (code == ERROR_HANDLE_EOF || code == ERROR_BROKEN_PIPE)
        break;
      throw FileIoError("Read error on \"" + impl_->name + "\". " + win32::systemReason(code));
    }
    if (got == 0)
      break;
    done += got;
  }
  return done;
}

// A refused write (disk full, read-only handle) ends the transfer; the caller sees the count.
std::size_t File::write(const void* buffer, std::size_t count) {
  const auto* in = static_cast<const char*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    DWORD put = 0;
    const auto want = static_cast<DWORD>(std::min(count - done, kMaxChunk));
    if (!WriteFile(impl_->handle, in + done, want, &put, nullptr) || put == 0)
      break;
    done += put;
  }
  return done;
}

std::int64_t File::seek(std::int64_t offset, SeekOrigin origin) {
  DWORD method = FILE_BEGIN;
  if (origin == SeekOrigin::Current)
    method = FILE_CURRENT;
  if (origin == SeekOrigin::End)
    method = FILE_END;
  LARGE_INTEGER distance{};
  distance.QuadPart = offset;
  LARGE_INTEGER result{};
  if (!SetFilePointerEx(impl_->handle, distance, &result, method))
    throw FileIoError("Seek error on \"" + impl_->name + "\". " +
                      win32::systemReason(GetLastError()));
  return result.QuadPart;
}

std::int64_t File::size() {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(impl_->handle, &size))
    throw FileIoError("Cannot get the size of \"" + impl_->name + "\". " +
                      win32::systemReason(GetLastError()));
  return size.QuadPart;
}

bool File::setSize(std::int64_t size) {
  if (size < 0)
    return false;
  const std::int64_t here = seek(0, SeekOrigin::Current);
  LARGE_INTEGER target{};
  target.QuadPart = size;
  const bool ok =
      SetFilePointerEx(impl_->handle, target, nullptr, FILE_BEGIN) && SetEndOfFile(impl_->handle);
  seek(here, SeekOrigin::Begin);
  return ok;
}

void File::flushToDisk() {
  FlushFileBuffers(impl_->handle);
}

bool File::lockExclusive(bool wait) {
  // One byte far beyond any data: byte-range locks are mandatory on Windows, and this one must
  // not keep anybody from reading the archive.
  OVERLAPPED where{};
  where.Offset = kLockOffsetLow;
  where.OffsetHigh = kLockOffsetHigh;
  const DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
  return LockFileEx(impl_->handle, flags, 0, 1, 0, &where) != 0;
}

bool File::isNamedBy(const std::string& name) {
  BY_HANDLE_FILE_INFORMATION mine{};
  BY_HANDLE_FILE_INFORMATION named{};
  if (!GetFileInformationByHandle(impl_->handle, &mine))
    return false;
  // No access asked: only the file's identity is read.
  const HANDLE other =
      CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (other == INVALID_HANDLE_VALUE)
    return false;
  const bool ok = GetFileInformationByHandle(other, &named) != 0;
  CloseHandle(other);
  return ok && mine.dwVolumeSerialNumber == named.dwVolumeSerialNumber &&
         mine.nFileIndexHigh == named.nFileIndexHigh && mine.nFileIndexLow == named.nFileIndexLow;
}

} // namespace larkspur::platform
