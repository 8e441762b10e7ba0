// Where a window of a given size goes on a screen: centred on the screen's work area (the part
// the taskbar leaves free), and never above or left of it when the window is larger.
#pragma once

namespace larkspur::dialog {

struct ScreenRect {
  int left, top, right, bottom;
};

struct ScreenPoint {
  int x, y;
};

// The top-left corner for a window of `width` x `height` centred on `workArea`.
ScreenPoint centredOrigin(const ScreenRect& workArea, int width, int height);

} // namespace larkspur::dialog
