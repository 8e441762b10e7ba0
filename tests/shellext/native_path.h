// Lets the menu tests write Windows-style paths and run them on either system: on POSIX every
// "\" becomes the native "/" (the drive letter stays as an ordinary name).
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace larkspur::shell::test {

inline std::string native(std::string_view path) {
  std::string result(path);
  for (char& c : result)
    if (c == '\\')
      c = platform::kPathDelimiter;
  return result;
}

} // namespace larkspur::shell::test
