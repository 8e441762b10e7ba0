// The in-process server's module-wide state: the class identifier, the module handle and the
// object and factory counts that decide whether the module may be unloaded.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

namespace larkspur::shell {

// The context-menu extension's class: {AB479803-AF80-4941-BC86-4C2CF7359581}.
inline constexpr GUID kLarkspurMenuClassId = {
    0xAB479803, 0xAF80, 0x4941, {0xBC, 0x86, 0x4C, 0x2C, 0xF7, 0x35, 0x95, 0x81}};

struct TServerState {
  HINSTANCE instance = nullptr;
  std::atomic<LONG> objectCount{0};  // live extension objects plus server locks
  std::atomic<LONG> factoryCount{0}; // references handed out to the class factory
};

extern TServerState Server;

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case, as StringFromCLSID writes it.
std::string GuidText(const GUID& guid);
// The full path of `module` (nullptr: the process's executable), however long it is.
std::string ModuleFileName(HMODULE module);
// The 8.3 form of `path`, or `path` itself when the file system gives none.
std::string ShortPathName(const std::string& path);

} // namespace larkspur::shell
