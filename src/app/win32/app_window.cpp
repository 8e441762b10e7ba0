// The program's common window machinery.
#include "app/win32/app_window.h"

#include <commctrl.h>

#include <stdexcept>

#include "app/app_texts.h"
#include "dialog/win32/wide_text.h"
#include "dialog/win32/window_placement.h"

namespace larkspur::app::win32 {
namespace {

constexpr wchar_t kAppWindowClass[] = L"LarkspurAppWindow";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;
const LPCWSTR kStockIcon = MAKEINTRESOURCEW(32512);   // IDI_APPLICATION
const LPCWSTR kArrowCursor = MAKEINTRESOURCEW(32512); // IDC_ARROW
// Containers whose children control() looks into.
constexpr int kMaxNesting = 2;

} // namespace

std::wstring gbk(std::string_view text) {
  return dialog::win32::gbkToWide(text);
}

std::wstring ansi(std::string_view text) {
  return dialog::win32::toWide(text, CP_ACP);
}

WindowClasses::WindowClasses() : classes_(dialog::win32::registerSkinClasses()) {
  INITCOMMONCONTROLSEX common{sizeof common, ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&common);
  WNDCLASSEXW description{};
  description.cbSize = sizeof description;
  description.lpfnWndProc = &DefWindowProcW; // each window puts its own in at creation
  description.hInstance = dialog::win32::moduleInstance();
  description.hIcon = LoadIconW(nullptr, kStockIcon);
  description.hCursor = LoadCursorW(nullptr, kArrowCursor);
  description.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  description.lpszClassName = kAppWindowClass;
  classes_.push_back(std::make_unique<dialog::win32::WindowClass>(description));
}

AppWindow::AppWindow(std::string_view gbkCaption, int width, int height, HWND owner)
    : font_(dialog::win32::kFontHeight, GB2312_CHARSET, gbk(texts::kFontFace).c_str()),
      owner_(owner) {
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, kWindowStyle, FALSE, kWindowExStyle);
  window_ = CreateWindowExW(kWindowExStyle, kAppWindowClass, gbk(gbkCaption).c_str(), kWindowStyle,
                            0, 0, frame.right - frame.left, frame.bottom - frame.top, owner,
                            nullptr, dialog::win32::moduleInstance(), nullptr);
  if (!window_)
    throw std::runtime_error("CreateWindowEx failed for a window of Larkspur.exe");
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&windowProc));
  dialog::win32::sizeAndCentre(window_, width, height, owner);
}

AppWindow::~AppWindow() {
  if (owner_)
    EnableWindow(owner_, TRUE);
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
}

HWND AppWindow::addControl(HWND parent, int id, const wchar_t* windowClass,
                           const std::wstring& text, DWORD style, DWORD exStyle,
                           const ControlRect& rect) {
  HWND child = CreateWindowExW(exStyle, windowClass, text.c_str(), WS_CHILD | WS_VISIBLE | style,
                               rect.left, rect.top, rect.width, rect.height, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               dialog::win32::moduleInstance(), nullptr);
  if (!child)
    throw std::runtime_error("CreateWindowEx failed for a control of Larkspur.exe");
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.handle()), FALSE);
  return child;
}

HWND AppWindow::addGroup(int id, std::string_view gbkCaption, const ControlRect& rect) {
  return addControl(window_, id, dialog::win32::kGroupBoxClass, gbk(gbkCaption), WS_CLIPCHILDREN,
                    WS_EX_CONTROLPARENT, rect);
}

HWND AppWindow::addPanel(int id, const ControlRect& rect) {
  return addControl(window_, id, dialog::win32::kPanelClass, L"", WS_CLIPCHILDREN,
                    WS_EX_CONTROLPARENT, rect);
}

HWND AppWindow::addButton(HWND parent, int id, std::string_view gbkText, const ControlRect& rect) {
  return addControl(parent, id, L"BUTTON", gbk(gbkText), WS_TABSTOP | BS_PUSHBUTTON, 0, rect);
}

HWND AppWindow::control(int id) const {
  // GetDlgItem looks at direct children only; the skin's containers hold the rest.
  HWND found = GetDlgItem(window_, id);
  for (HWND child = GetWindow(window_, GW_CHILD); !found && child;
       child = GetWindow(child, GW_HWNDNEXT)) {
    found = GetDlgItem(child, id);
  }
  static_assert(kMaxNesting == 2, "controls sit in the window or in one container");
  return found;
}

std::string AppWindow::controlTextAnsi(int id) const {
  const HWND edit = control(id);
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(edit)) + 1, '\0');
  const int length = GetWindowTextA(edit, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  return text;
}

void AppWindow::show() {
  ShowWindow(window_, SW_SHOW);
  UpdateWindow(window_);
  SetForegroundWindow(window_);
}

void AppWindow::runModal() {
  if (owner_)
    EnableWindow(owner_, FALSE);
  show();
  MSG message;
  while (!done_ && GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageW(window_, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  if (owner_)
    EnableWindow(owner_, TRUE);
  ShowWindow(window_, SW_HIDE);
}

void AppWindow::pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (!IsDialogMessageW(window_, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

LRESULT AppWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_COMMAND:
    if (HIWORD(wParam) == BN_CLICKED)
      onButton(LOWORD(wParam));
    return 0;
  case WM_CLOSE: // the close icon answers like cancel
    onButton(IDCANCEL);
    return 0;
  case WM_CTLCOLORSTATIC: {
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
  }
  default:
    return DefWindowProcW(window_, message, wParam, lParam);
  }
}

LRESULT CALLBACK AppWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<AppWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self)
    return DefWindowProcW(window, message, wParam, lParam);
  try {
    return self->handleMessage(message, wParam, lParam);
  } catch (...) {
    // Nothing may unwind through the system's dispatch.
    return DefWindowProcW(window, message, wParam, lParam);
  }
}

} // namespace larkspur::app::win32
