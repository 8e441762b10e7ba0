// Sizing and centring the product's windows: one rule for the add-to-archive window and the
// windows of Larkspur.exe.
#pragma once

#include <windows.h>

namespace larkspur::dialog::win32 {

struct WindowSize {
  int width, height;
};

// Gives `window` a client area of exactly `clientWidth` x `clientHeight` and centres it on the
// work area of the screen it opens on: its owner's screen when it has one, else the screen under
// the mouse pointer, where the user just picked the command. Returns the window's outer size.
WindowSize sizeAndCentre(HWND window, int clientWidth, int clientHeight, HWND owner);

} // namespace larkspur::dialog::win32
