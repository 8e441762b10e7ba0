// The host-command runner. POSIX: std::system. Wine: CreateProcessA on the Unix shell, which
// Wine starts as a Unix process it does not track, so the shell leaves its exit status in a
// file that the test waits for.
#include "support/host_command.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#endif

namespace larkspur::test {

#ifndef _WIN32

std::optional<std::string> hostPath(const std::string& path) { return path; }

std::optional<int> runHostCommand(const std::string& directory, const std::string& command, int) {
  const std::string line = "cd '" + directory + "' && (" + command + ")";
  const int status = std::system(line.c_str());
  if (status == -1 || !WIFEXITED(status))
    return std::nullopt;
  return WEXITSTATUS(status);
}

#else

namespace {

// Wine's own export that maps a Windows path to the Unix one; absent on real Windows.
using UnixNameFunction = char*(__cdecl*)(const WCHAR*);

} // namespace

std::optional<std::string> hostPath(const std::string& path) {
  auto function = reinterpret_cast<UnixNameFunction>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (function == nullptr)
    return std::nullopt;
  WCHAR wide[MAX_PATH];
  if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) == 0)
    return std::nullopt;
  char* unix = function(wide);
  if (unix == nullptr)
    return std::nullopt;
  std::string result(unix);
  HeapFree(GetProcessHeap(), 0, unix);
  return result;
}

std::optional<int> runHostCommand(const std::string& directory, const std::string& command,
                                  int timeoutSeconds) {
  const auto unixDir = hostPath(directory);
  if (!unixDir)
    return std::nullopt;
  const std::string statusFile = directory + "\\.host_status";
  DeleteFileA(statusFile.c_str());
  std::string line = "Z:\\bin\\sh -c \"cd '" + *unixDir + "' && (" + command +
                     "); echo $? > .host_status.tmp && mv .host_status.tmp .host_status\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return std::nullopt;
  }
  if (process.hProcess)
    CloseHandle(process.hProcess);
  if (process.hThread)
    CloseHandle(process.hThread);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  while (std::chrono::steady_clock::now() < deadline) {
    std::ifstream status(statusFile);
    int code = 0;
    if (status >> code) {
      status.close();
      DeleteFileA(statusFile.c_str());
      return code;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return std::nullopt;
}

#endif

} // namespace larkspur::test
