// Centring a window on a work area.
#include "dialog/screen_placement.h"

#include <algorithm>

namespace larkspur::dialog {

namespace {

// A window larger than the area keeps its caption and left edge on the screen.
int centredStart(int start, int end, int length) {
  return std::max(start, start + (end - start - length) / 2);
}

} // namespace

ScreenPoint centredOrigin(const ScreenRect& workArea, int width, int height) {
  return {centredStart(workArea.left, workArea.right, width),
          centredStart(workArea.top, workArea.bottom, height)};
}

} // namespace larkspur::dialog
