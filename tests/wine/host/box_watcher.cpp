// The message-box watcher of the shell host.
#include "host/box_watcher.h"

#include "host/check.h"

namespace larkspur::wine {

namespace {

// How long a box may take to appear before the watcher gives up.
constexpr DWORD kWaitMilliseconds = 20000;
constexpr DWORD kPollMilliseconds = 50;
// The control identifier of a message box's text.
constexpr int kMessageBoxTextId = 0xFFFF;
// Buttons a box may carry besides OK.
constexpr int kOtherButtons[] = {IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO};

BOOL CALLBACK findDialog(HWND window, LPARAM found) {
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpA(name, "#32770") == 0 && IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

// Looks for a static child showing the system's error icon (the shared icon has one handle).
BOOL CALLBACK findErrorIcon(HWND child, LPARAM found) {
  const auto icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
  if (icon != nullptr && icon == LoadIconA(nullptr, MAKEINTRESOURCEA(32513))) { // IDI_HAND
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
  }
  return TRUE;
}

bool visibleChild(HWND box, int id) {
  HWND child = GetDlgItem(box, id);
  return child != nullptr && IsWindowVisible(child);
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
      record(box);
      seen_ = true;
      PostMessageA(box, WM_COMMAND, IDOK, 0);
      return;
    }
    Sleep(kPollMilliseconds);
  }
}

void TBoxWatcher::record(HWND box) {
  char text[1024] = {};
  GetWindowTextA(box, text, sizeof text);
  caption_ = text;
  GetDlgItemTextA(box, kMessageBoxTextId, text, sizeof text);
  text_ = text;
  owner_ = GetWindow(box, GW_OWNER);
  ownerDisabled_ = owner_ != nullptr && !IsWindowEnabled(owner_);
  EnumChildWindows(box, findErrorIcon, reinterpret_cast<LPARAM>(&errorIcon_));
  okOnly_ = visibleChild(box, IDOK);
  for (int id : kOtherButtons)
    okOnly_ = okOnly_ && !visibleChild(box, id);
}

void ExpectErrorBox(const TBoxWatcher& box, const std::string& expectedCaption,
                    const std::string& expectedText, const char* where) {
  Check(box.seen(), __FILE__, __LINE__, std::string(where) + ": no message box");
  if (!box.seen())
    return;
  Check(box.text() == expectedText, __FILE__, __LINE__,
        std::string(where) + ": text \"" + Escaped(box.text()) + "\"");
  Check(box.caption() == expectedCaption, __FILE__, __LINE__,
        std::string(where) + ": caption \"" + Escaped(box.caption()) + "\"");
  Check(box.ownerDisabled(), __FILE__, __LINE__, std::string(where) + ": not modal");
  Check(box.errorIcon(), __FILE__, __LINE__, std::string(where) + ": no error icon");
  Check(box.okOnly(), __FILE__, __LINE__, std::string(where) + ": not OK alone");
}

} // namespace larkspur::wine
