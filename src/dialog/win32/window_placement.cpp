// The screen a window opens on and its place there.
#include "dialog/win32/window_placement.h"

#include "dialog/screen_placement.h"

namespace larkspur::dialog::win32 {

namespace {

HMONITOR screenFor(HWND owner) {
  if (owner)
    return MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST);
  POINT pointer{};
  if (GetCursorPos(&pointer))
    return MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST);
  return MonitorFromPoint(pointer, MONITOR_DEFAULTTOPRIMARY);
}

} // namespace

WindowSize sizeAndCentre(HWND window, int clientWidth, int clientHeight, HWND owner) {
  // The frame may differ from what AdjustWindowRectEx predicted; fix the client size exactly.
  RECT frame{}, client{};
  GetWindowRect(window, &frame);
  GetClientRect(window, &client);
  const WindowSize size{frame.right - frame.left + clientWidth - client.right,
                        frame.bottom - frame.top + clientHeight - client.bottom};
  MONITORINFO screen{};
  screen.cbSize = sizeof screen;
  ScreenRect workArea{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (GetMonitorInfoW(screenFor(owner), &screen)) {
    workArea = {screen.rcWork.left, screen.rcWork.top, screen.rcWork.right, screen.rcWork.bottom};
  }
  const ScreenPoint origin = centredOrigin(workArea, size.width, size.height);
  SetWindowPos(window, nullptr, origin.x, origin.y, size.width, size.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  return size;
}

} // namespace larkspur::dialog::win32
