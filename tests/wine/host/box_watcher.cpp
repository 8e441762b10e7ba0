// The message-box watcher of the shell host.
#include "host/box_watcher.h"

namespace larkspur::wine {

namespace {

// How long a box may take to appear before the watcher gives up.
constexpr DWORD kWaitMilliseconds = 20000;
constexpr DWORD kPollMilliseconds = 50;
// The control identifier of a message box's text.
constexpr int kMessageBoxTextId = 0xFFFF;

BOOL CALLBACK findDialog(HWND window, LPARAM found) {
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpA(name, "#32770") == 0 && IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

} // namespace

TBoxWatcher::TBoxWatcher(DWORD thread) : worker_([this, thread] { watch(thread); }) {}

TBoxWatcher::~TBoxWatcher() {
  stop_ = true;
  worker_.join();
}

bool TBoxWatcher::seen() const {
  return seen_;
}

void TBoxWatcher::watch(DWORD thread) {
  for (DWORD waited = 0; waited < kWaitMilliseconds && !stop_; waited += kPollMilliseconds) {
    HWND box = nullptr;
    EnumThreadWindows(thread, findDialog, reinterpret_cast<LPARAM>(&box));
    if (box != nullptr) {
      char text[1024] = {};
      GetWindowTextA(box, text, sizeof text);
      caption_ = text;
      GetDlgItemTextA(box, kMessageBoxTextId, text, sizeof text);
      text_ = text;
      seen_ = true;
      PostMessageA(box, WM_COMMAND, IDOK, 0);
      return;
    }
    Sleep(kPollMilliseconds);
  }
}

} // namespace larkspur::wine
