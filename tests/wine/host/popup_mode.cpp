// The popup mode of the shell host.
#include "host/popup_mode.h"

#include <windows.h>

#include <cstdio>

#include "host/extension.h"
#include "host/marker_file.h"

namespace larkspur::wine {

namespace {

struct TPopupState {
  HMENU menu = nullptr;
  std::string markers;
  bool reported = false;
};

TPopupState Popup;

LRESULT CALLBACK ownerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // The menu loop idles once the menu is drawn: then its items have their screen places.
  if (message == WM_ENTERIDLE && wParam == MSGF_MENU && !Popup.reported) {
    Popup.reported = true;
    std::string lines;
    const int count = GetMenuItemCount(Popup.menu);
    for (int i = 0; i < count; ++i) {
      RECT r = {};
      GetMenuItemRect(window, Popup.menu, static_cast<UINT>(i), &r);
      char line[96];
      // The extension's items carry their command offset; others (and separators) -1.
      const UINT id = GetMenuItemID(Popup.menu, i);
      const int offset = id >= kFirstId && id != UINT(-1) ? static_cast<int>(id - kFirstId) : -1;
      std::snprintf(line, sizeof line, "%d %ld %ld %ld %ld %d\n", i, r.left, r.top, r.right,
                    r.bottom, offset);
      lines += line;
    }
    WriteMarker(Popup.markers + "menu-shown.txt", lines);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int RunPopup(int x, int y, const std::string& markers, const std::vector<std::string>& paths) {
  Popup.markers = markers;
  ComPtr<IContextMenu> extension;
  ExtensionFor(extension, paths);
  if (!extension)
    return 2;

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = ownerProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "LarkspurShellHost";
  RegisterClassA(&windowClass);
  HWND owner = CreateWindowExA(WS_EX_TOOLWINDOW, windowClass.lpszClassName, "shell host", WS_POPUP,
                               x, y, 1, 1, nullptr, nullptr, windowClass.hInstance, nullptr);
  ShowWindow(owner, SW_SHOW);
  SetForegroundWindow(owner);

  Popup.menu = CreatePopupMenu();
  AppendMenuA(Popup.menu, MF_STRING, kExistingId, "Existing");
  extension->QueryContextMenu(Popup.menu, 0, kFirstId, kFirstId + 99, CMF_NORMAL);
  const UINT picked = static_cast<UINT>(
      TrackPopupMenuEx(Popup.menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON,
                       x, y, owner, nullptr));
  DestroyMenu(Popup.menu);
  DestroyWindow(owner);
  if (picked < kFirstId) {
    WriteMarker(markers + "picked.txt", "none\n");
    return 1;
  }
  const UINT offset = picked - kFirstId;
  const HRESULT result = Invoke(extension.get(), offset);
  char line[64];
  std::snprintf(line, sizeof line, "%u 0x%08lX\n", offset, static_cast<unsigned long>(result));
  WriteMarker(markers + "picked.txt", line);
  return 0;
}

} // namespace larkspur::wine
