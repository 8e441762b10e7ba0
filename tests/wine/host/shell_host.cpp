// The shell host: plays Explorer's part for LarkspurMenu.dll under Wine, whose own shell does not
// load context-menu handlers. Modes:
//   checks WORKDIR                 every check; the exit code is the number of failed checks
//   popup X Y MARKERDIR PATH...    a real popup menu for a mouse click (see popup_mode.h)
//   compress WORKDIR               the compress commands end to end (folders from compress.sh)
//   progress MARKERDIR FILE        the dialog held half-way through FILE (see progress_mode.h)
//   shortpath PATH                 prints the 8.3 form of PATH
//   register DLL                   calls DllRegisterServer itself; exit code 0 on S_OK
#include <ole2.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/check.h"
#include "host/checks.h"
#include "host/extension.h"
#include "host/popup_mode.h"
#include "host/progress_mode.h"
#include "shellext/win32/server_state.h"

namespace larkspur::wine {

std::string TouchFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE)
    CloseHandle(file);
  return path;
}

namespace {

std::string asFolder(std::string work) {
  if (work.empty() || work.back() != '\\')
    work += '\\';
  return work;
}

int summary() {
  std::printf("shell host: %d checks, %d failed\n", ChecksRun(), FailedChecks());
  return ExitStatus();
}

int runChecks(const std::string& folder) {
  const std::string work = asFolder(folder);
  CreateDirectoryA(work.c_str(), nullptr);
  CreateDirectoryA((work + "my downloads").c_str(), nullptr);
  RunMenuChecks(work);
  RunHelpTextChecks(work);
  RunLifetimeChecks(); // before the commands: a dialog they open keeps the module loaded
  RunCommandChecks(work);
  return summary();
}

int runCompressChecks(const std::string& folder) {
  RunCompressChecks(asFolder(folder));
  return summary();
}

int registerItself(const char* dll) {
  HMODULE module = LoadLibraryA(dll);
  if (module == nullptr)
    return 2;
  using RegisterFn = HRESULT(WINAPI*)();
  const auto registerServer = ExportOf<RegisterFn>(module, "DllRegisterServer");
  const HRESULT result = registerServer != nullptr ? registerServer() : E_FAIL;
  std::printf("DllRegisterServer: 0x%08lX\n", static_cast<unsigned long>(result));
  return result == S_OK ? 0 : 1;
}

} // namespace

} // namespace larkspur::wine

int main(int argc, char** argv) {
  using namespace larkspur::wine;
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "shortpath" && argc == 3) {
    std::printf("%s\n", larkspur::shell::ShortPathName(argv[2]).c_str());
    return 0;
  }
  OleInitialize(nullptr);
  int result = 100;
  if (mode == "checks" && argc == 3) {
    result = runChecks(argv[2]);
  } else if (mode == "popup" && argc >= 6) {
    result = RunPopup(std::atoi(argv[2]), std::atoi(argv[3]), argv[4],
                      std::vector<std::string>(argv + 5, argv + argc));
  } else if (mode == "compress" && argc == 3) {
    result = runCompressChecks(argv[2]);
  } else if (mode == "progress" && argc == 4) {
    result = RunProgress(argv[2], argv[3]);
  } else if (mode == "register" && argc == 3) {
    result = registerItself(argv[2]);
  } else {
    std::fprintf(stderr,
                 "usage: shell_host checks|popup|compress|progress|shortpath|register ...\n");
  }
  OleUninitialize();
  return result;
}
