// The popup mode of the shell host.
#include "host/popup_mode.h"

#include <windows.h>

#include <cstdio>

#include "host/extension.h"

namespace larkspur::wine {

namespace {

struct TPopupState {
  HMENU menu = nullptr;
  std::string markers;
  bool reported = false;
};

TPopupState Popup;

// Writes `text` to `path` through a temporary name, so a poller sees all of it or nothing.
void writeMarker(const std::string& path, const std::string& text) {
  const std::string partial = path + ".part";
  if (FILE* file = std::fopen(partial.c_str(), "wb")) {
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
  }
}

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
      std::snprintf(line, sizeof line, "%d %ld %ld %ld %ld\n", i, r.left, r.top, r.right, r.bottom);
      lines += line;
    }
    writeMarker(Popup.markers + "menu-shown.txt", lines);
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
    writeMarker(markers + "picked.txt", "none\n");
    return 1;
  }
  const UINT offset = picked - kFirstId;
  const HRESULT result = Invoke(extension.get(), offset);
  char line[64];
  std::snprintf(line, sizeof line, "%u 0x%08lX\n", offset, static_cast<unsigned long>(result));
  writeMarker(markers + "picked.txt", line);
  return 0;
}

} // namespace larkspur::wine
