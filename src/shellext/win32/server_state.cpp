// Module-wide server state and the small Win32 helpers around module paths and GUIDs.
#include "shellext/win32/server_state.h"

#include <cstdio>
#include <vector>

namespace larkspur::shell {

TServerState Server;

namespace {

// Long enough for any classic path; longer ones make the buffer grow.
constexpr DWORD kInitialPathBuffer = MAX_PATH + 1;
// The longest path the system accepts anywhere (extended-length paths).
constexpr DWORD kLongestPath = 32768;
static_assert(kInitialPathBuffer < kLongestPath);

} // namespace

std::string GuidText(const GUID& g) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned long>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

std::string ModuleFileName(HMODULE module) {
  std::vector<char> buffer(kInitialPathBuffer);
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD length = GetModuleFileNameA(module, buffer.data(), size);
    if (length < size || size >= kLongestPath)
      return std::string(buffer.data(), length);
    buffer.resize(size * 2); // cut off: try again with room to spare
  }
}

std::string ShortPathName(const std::string& path) {
  const DWORD needed = GetShortPathNameA(path.c_str(), nullptr, 0);
  if (needed == 0)
    return path;
  std::vector<char> buffer(needed);
  const DWORD length = GetShortPathNameA(path.c_str(), buffer.data(), needed);
  if (length == 0 || length >= needed)
    return path;
  return std::string(buffer.data(), length);
}

} // namespace larkspur::shell
