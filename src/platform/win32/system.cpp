// Code pages, drives and volumes, the message pump, message boxes and the module's own name
// through the ANSI Win32 calls.
#include <windows.h>

#include <atomic>
#include <vector>

#include "platform/platform.h"

namespace larkspur::platform {

namespace {

// Set by the console control handler (Ctrl-C in a console front end).
std::atomic<bool> interrupted{false};

BOOL WINAPI onConsoleControl(DWORD type) {
  if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT)
    return FALSE;
  // A second Ctrl-C goes to the default handler, which ends the process.
  return interrupted.exchange(true) ? FALSE : TRUE;
}

// A label on any file system Windows supports fits in this many bytes.
constexpr DWORD kVolumeLabelRoom = MAX_PATH + 1;

DriveType driveTypeOf(UINT type) {
  switch (type) {
  case DRIVE_NO_ROOT_DIR:
    return DriveType::NoRootDir;
  case DRIVE_REMOVABLE:
    return DriveType::Removable;
  case DRIVE_FIXED:
    return DriveType::Fixed;
  case DRIVE_REMOTE:
    return DriveType::Remote;
  case DRIVE_CDROM:
    return DriveType::CdRom;
  case DRIVE_RAMDISK:
    return DriveType::RamDisk;
  default:
    return DriveType::Unknown;
  }
}

} // namespace

std::string ansiToOem(const std::string& text) {
  std::vector<char> out(text.size() + 1, '\0');
  CharToOemA(text.c_str(), out.data());
  return out.data();
}

std::string oemToAnsi(const std::string& text) {
  std::vector<char> out(text.size() + 1, '\0');
  OemToCharA(text.c_str(), out.data());
  return out.data();
}

bool isLeadByte(unsigned char byte) {
  return IsDBCSLeadByte(byte) != 0;
}

DriveType driveType(const std::string& root) {
  return driveTypeOf(GetDriveTypeA(root.c_str()));
}

std::string volumeLabel(const std::string& root) {
  char label[kVolumeLabelRoom] = {};
  if (!GetVolumeInformationA(root.c_str(), label, kVolumeLabelRoom, nullptr, nullptr, nullptr,
                             nullptr, 0))
    return std::string();
  return label;
}

bool setVolumeLabel(const std::string& root, const std::string& label) {
  // An empty label removes the label. Not NULL, which means the same to Windows: Wine reads
  // through it on removable and fixed drives and crashes.
  return SetVolumeLabelA(root.c_str(), label.c_str()) != 0;
}

std::int64_t diskFreeSpace(const std::string& root) {
  ULARGE_INTEGER available{}, total{}, free{};
  // No root: the current drive.
  if (!GetDiskFreeSpaceExA(root.empty() ? nullptr : root.c_str(), &available, &total, &free))
    return -1;
  return static_cast<std::int64_t>(available.QuadPart);
}

void processMessages() {
  MSG msg{};
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Not ours to consume: leave it for the host's own message loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

bool cancelRequested() {
  return interrupted.load();
}

void installInterruptHandler() {
  SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

int messageBox(const std::string& text, const std::string& caption, unsigned flags) {
  return MessageBoxA(GetActiveWindow(), text.c_str(), caption.c_str(), flags);
}

std::string moduleFileName() {
  // The module that holds this code: the DLL when linked into one, else the program.
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                              GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCSTR>(&moduleFileName), &module))
    module = nullptr;
  std::vector<char> name(MAX_PATH + 1);
  for (;;) {
    const DWORD n = GetModuleFileNameA(module, name.data(), static_cast<DWORD>(name.size()));
    if (n == 0)
      return std::string();
    if (n < name.size())
      return std::string(name.data(), n);
    name.resize(name.size() * 2); // truncated: try a larger buffer
    if (name.size() > 32768)
      return std::string();
  }
}

} // namespace larkspur::platform
