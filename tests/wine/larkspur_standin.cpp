// Stands in for the main archiver program in the Wine tests: it records the command line it was
// started with, byte for byte, in "Larkspur.cmdline" beside itself, and exits. When several run
// at once (several archives selected), the later ones record in "Larkspur.cmdline.2", ".3", ...
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

int main() {
  std::vector<char> self(32768);
  const DWORD length = GetModuleFileNameA(nullptr, self.data(), static_cast<DWORD>(self.size()));
  std::string directory(self.data(), length);
  directory.erase(directory.find_last_of("\\/") + 1);
  const std::string record = directory + "Larkspur.cmdline";
  const std::string partial = record + "." + std::to_string(GetCurrentProcessId()) +
                              ".part"; // renamed when complete: pollers see all or none

  const char* commandLine = GetCommandLineA();
  HANDLE file = CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return 1;
  DWORD written = 0;
  const BOOL ok =
      WriteFile(file, commandLine, static_cast<DWORD>(std::strlen(commandLine)), &written, nullptr);
  CloseHandle(file);
  if (!ok)
    return 1;
  // A move that refuses to replace: two instances never take the same record name.
  constexpr int kMostInstances = 16;
  for (int n = 1; n <= kMostInstances; ++n) {
    const std::string name = n == 1 ? record : record + "." + std::to_string(n);
    if (MoveFileExA(partial.c_str(), name.c_str(), 0))
      return 0;
    if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS)
      return 1;
  }
  return 1;
}
