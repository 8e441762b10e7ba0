// Directory listing through FindFirstFileA/FindNextFileA, with the 8.3 alias of each entry.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/win_error.h"

namespace larkspur::platform {

struct DirectoryFind::Impl {
  HANDLE handle = INVALID_HANDLE_VALUE;
  FindData current;
  int result = ERROR_FILE_NOT_FOUND;
  ~Impl() {
    if (handle != INVALID_HANDLE_VALUE)
      FindClose(handle);
  }
  void take(const WIN32_FIND_DATAA& data) {
    current.name = data.cFileName;
    current.shortName = data.cAlternateFileName;
    current.attributes = data.dwFileAttributes;
    current.size = static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    current.dosTime = win32::dosTimeOfFileTime(data.ftLastWriteTime);
    result = 0;
  }
};

DirectoryFind::DirectoryFind(const std::string& pattern) : impl_(std::make_unique<Impl>()) {
  WIN32_FIND_DATAA data{};
  impl_->handle = FindFirstFileA(pattern.c_str(), &data);
  if (impl_->handle == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    impl_->result = code != 0 ? static_cast<int>(code) : ERROR_FILE_NOT_FOUND;
    return;
  }
  impl_->take(data);
}

DirectoryFind::DirectoryFind(DirectoryFind&&) noexcept = default;
DirectoryFind& DirectoryFind::operator=(DirectoryFind&&) noexcept = default;
DirectoryFind::~DirectoryFind() = default;

bool DirectoryFind::ok() const {
  return impl_ && impl_->result == 0;
}
const FindData& DirectoryFind::current() const {
  return impl_->current;
}
int DirectoryFind::lastResult() const {
  return impl_ ? impl_->result : ERROR_NO_MORE_FILES;
}

int DirectoryFind::advance() {
  if (!ok())
    return lastResult();
  WIN32_FIND_DATAA data{};
  if (FindNextFileA(impl_->handle, &data)) {
    impl_->take(data);
  } else {
    const DWORD code = GetLastError();
    impl_->result = code != 0 ? static_cast<int>(code) : ERROR_NO_MORE_FILES;
    impl_->current = FindData{};
  }
  return impl_->result;
}

} // namespace larkspur::platform
