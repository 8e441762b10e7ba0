// Extraction file calls on Windows: attributes with reparse points, MoveFileExA, code pages.
#include <windows.h>

#include "platform/platform.h"
#include "platform/target_files.h"

namespace larkspur::platform {

PathKind pathKind(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return PathKind::Missing;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
    return PathKind::Link;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY)
    return PathKind::Directory;
  if (attributes & FILE_ATTRIBUTE_DEVICE)
    return PathKind::Other;
  return PathKind::File;
}

bool renameReplacing(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool setUnixMode(const std::string&, std::uint32_t) {
  return false;
}

std::optional<std::string> utf8NameToNative(const std::string& utf8) {
  if (utf8.empty())
    return utf8;
  const int wideLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                             static_cast<int>(utf8.size()), nullptr, 0);
  if (wideLength <= 0)
    return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                      wideLength);
  BOOL lossy = FALSE;
  const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength,
                                         nullptr, 0, nullptr, &lossy);
  if (length <= 0 || lossy)
    return std::nullopt;
  std::string ansi(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, ansi.data(), length,
                      nullptr, &lossy);
  if (lossy)
    return std::nullopt;
  return ansi;
}

std::string oemNameToNative(const std::string& oem) {
  return oemToAnsi(oem);
}

} // namespace larkspur::platform
