// Path troubles on Windows: the attributes, then an open or a listing for what they cannot tell.
#include "platform/path_trouble.h"

#include <windows.h>

namespace larkspur::platform {

namespace {

PathTrouble fromError(DWORD error) {
  switch (error) {
  case ERROR_FILE_NOT_FOUND:
  case ERROR_PATH_NOT_FOUND:
  case ERROR_INVALID_NAME:
    return PathTrouble::NotFound;
  case ERROR_FILENAME_EXCED_RANGE:
    return PathTrouble::TooLong;
  default:
    return PathTrouble::Unreadable;
  }
}

} // namespace

PathTrouble pathTrouble(const std::string& path, bool folder) {
  // The ANSI functions take no longer path, whatever the file system holds.
  if (path.size() >= MAX_PATH)
    return PathTrouble::TooLong;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return fromError(GetLastError());
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    std::string pattern = path;
    if (!pattern.empty() && pattern.back() != '\\')
      pattern += '\\';
    pattern += "*.*";
    WIN32_FIND_DATAA data;
    const HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
      // A drive root lists no "." or "..": when empty, it yields nothing at all.
      const DWORD error = GetLastError();
      return error == ERROR_FILE_NOT_FOUND ? PathTrouble::None : fromError(error);
    }
    FindClose(find);
    return PathTrouble::None;
  }
  if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0)
    return PathTrouble::NotRegular;
  if (folder)
    return PathTrouble::None;
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return fromError(GetLastError());
  CloseHandle(file);
  return PathTrouble::None;
}

} // namespace larkspur::platform
