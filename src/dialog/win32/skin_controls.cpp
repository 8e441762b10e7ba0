// Painting of the themed group box and panel; everything else of theirs is the system's.
#include "dialog/win32/skin_controls.h"

#include <stdexcept>
#include <string>

#include "dialog/win32/form_layout.h"

namespace larkspur::dialog::win32 {
namespace {

// Space kept clear around the group box caption where it interrupts the frame.
constexpr int kCaptionGap = 2;

HFONT storedFont(HWND window) {
  return reinterpret_cast<HFONT>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void paintGroupBox(HWND window, HDC dc) {
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  const HGDIOBJ previous = SelectObject(dc, storedFont(window));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  RECT frame = client;
  frame.top += metrics.tmHeight / 2;
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);

  const int length = GetWindowTextLengthW(window);
  if (length > 0) {
    std::wstring caption(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(window, caption.data(), length + 1);
    caption.resize(static_cast<std::size_t>(length));
    SIZE extent{};
    GetTextExtentPoint32W(dc, caption.c_str(), length, &extent);
    RECT gap{kGroupCaptionMargin - kCaptionGap, 0, kGroupCaptionMargin + extent.cx + kCaptionGap,
             metrics.tmHeight};
    FillRect(dc, &gap, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    TextOutW(dc, kGroupCaptionMargin, 0, caption.c_str(), length);
  }
  SelectObject(dc, previous);
}

void paintPanel(HWND window, HDC dc) {
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  static_assert(kPanelBevelWidth == 1, "BDR_RAISEDINNER draws a one-pixel bevel");
  DrawEdge(dc, &client, BDR_RAISEDINNER, BF_RECT);
}

LRESULT CALLBACK containerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                               void (*paint)(HWND, HDC)) {
  switch (message) {
  case WM_PAINT: {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    paint(window, dc);
    EndPaint(window, &ps);
    return 0;
  }
  case WM_ERASEBKGND:
    return 1; // WM_PAINT fills everything
  case WM_SETFONT:
    SetWindowLongPtrW(window, GWLP_USERDATA, static_cast<LONG_PTR>(wParam));
    if (LOWORD(lParam))
      InvalidateRect(window, nullptr, TRUE);
    return 0;
  case WM_GETFONT:
    return reinterpret_cast<LRESULT>(storedFont(window));
  case WM_SETTEXT: {
    const LRESULT result = DefWindowProcW(window, message, wParam, lParam);
    InvalidateRect(window, nullptr, TRUE);
    return result;
  }
  // The form handles its controls' notifications and colours.
  case WM_COMMAND:
  case WM_NOTIFY:
  case WM_CTLCOLOREDIT:
  case WM_CTLCOLORSTATIC:
  case WM_CTLCOLORBTN:
  case WM_CTLCOLORLISTBOX:
    return SendMessageW(GetParent(window), message, wParam, lParam);
  default:
    return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK groupBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return containerProc(window, message, wParam, lParam, paintGroupBox);
}

LRESULT CALLBACK panelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return containerProc(window, message, wParam, lParam, paintPanel);
}

WNDCLASSEXW containerClass(const wchar_t* name, WNDPROC proc) {
  WNDCLASSEXW description{};
  description.cbSize = sizeof description;
  description.lpfnWndProc = proc;
  description.hInstance = moduleInstance();
  description.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
  description.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  description.lpszClassName = name;
  return description;
}

} // namespace

HINSTANCE moduleInstance() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&moduleInstance), &module);
  return module;
}

WindowClass::WindowClass(const WNDCLASSEXW& description) : name_(description.lpszClassName) {
  if (RegisterClassExW(&description) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    throw std::runtime_error("RegisterClassEx failed");
  }
}

WindowClass::~WindowClass() {
  UnregisterClassW(name_, moduleInstance());
}

std::vector<std::unique_ptr<WindowClass>> registerSkinClasses() {
  std::vector<std::unique_ptr<WindowClass>> classes;
  classes.push_back(std::make_unique<WindowClass>(containerClass(kGroupBoxClass, groupBoxProc)));
  classes.push_back(std::make_unique<WindowClass>(containerClass(kPanelClass, panelProc)));
  return classes;
}

Font::Font(int height, BYTE charset, const wchar_t* face)
    : font_(CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, charset,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_DONTCARE, face)) {}

Font::~Font() {
  if (font_)
    DeleteObject(font_);
}

} // namespace larkspur::dialog::win32
