// Where every control of the add-to-archive window sits, in pixels at 96 dpi (never scaled),
// relative to its parent's client area, and the window's font.
#pragma once

namespace larkspur::dialog::win32 {

struct ControlRect {
  int left;
  int top;
  int width;
  int height;
};

inline constexpr int kClientWidth = 449;
inline constexpr int kClientHeight = 210;

// In the window.
inline constexpr ControlRect kLabel5Rect{0, 0, 449, 13};
inline constexpr ControlRect kGroupBoxRect{0, 24, 449, 57};
inline constexpr ControlRect kZipPBRect{0, 112, 449, 24};
inline constexpr ControlRect kPanelRect{0, 169, 449, 41};
inline constexpr ControlRect kListBox1Rect{0, 200, 449, 10};
inline constexpr ControlRect kPasswordBRect{120, 240, 75, 25}; // hidden, below the client area
// In the group box.
inline constexpr ControlRect kEdit1Rect{16, 24, 417, 20};
// In the panel.
inline constexpr ControlRect kAddButtonRect{111, 8, 75, 25};
inline constexpr ControlRect kCancelButtonRect{259, 8, 75, 25};

// Top line, group box, bar and panel span the window; the panel sits on its bottom edge.
static_assert(kLabel5Rect.width == kClientWidth && kGroupBoxRect.width == kClientWidth);
static_assert(kZipPBRect.width == kClientWidth && kPanelRect.width == kClientWidth);
static_assert(kPanelRect.top + kPanelRect.height == kClientHeight);
static_assert(kEdit1Rect.left + kEdit1Rect.width <= kGroupBoxRect.width);
static_assert(kCancelButtonRect.left + kCancelButtonRect.width <= kPanelRect.width);

// Caption text of the group box starts this far from its left edge.
inline constexpr int kGroupCaptionMargin = 12;
// Raised outer bevel of the button panel.
inline constexpr int kPanelBevelWidth = 1;
inline constexpr int kListItemHeight = 12;
// 9 points at 96 dpi, as a character height.
inline constexpr int kFontHeight = -12;
inline constexpr int kProgressMax = 100;

} // namespace larkspur::dialog::win32
