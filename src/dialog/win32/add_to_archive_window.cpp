// The add-to-archive window: creation and layout of its controls, its message handling, and the
// view operations the controller calls.
#include "dialog/win32/add_to_archive_window.h"

#include <commctrl.h>

#include <cstring>
#include <stdexcept>

#include "dialog/dialog_texts.h"
#include "dialog/win32/form_layout.h"
#include "dialog/win32/wide_text.h"
#include "dialog/win32/window_placement.h"
#include "platform/paths.h"

namespace larkspur::dialog::win32 {
namespace {

constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_CONTROLPARENT;
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
// The system's stock icon and arrow cursor.
const LPCWSTR kApplicationIcon = MAKEINTRESOURCEW(32512);
const LPCWSTR kArrowCursor = MAKEINTRESOURCEW(32512);

HWND createChild(HWND parent, int id, const wchar_t* windowClass, const std::wstring& text,
                 DWORD style, DWORD exStyle, const ControlRect& rect) {
  HWND child = CreateWindowExW(
      exStyle, windowClass, text.c_str(), style, rect.left, rect.top, rect.width, rect.height,
      parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), moduleInstance(), nullptr);
  if (!child)
    throw std::runtime_error("CreateWindowEx failed for a dialog control");
  return child;
}

std::wstring wideText(const Text& text) {
  return gbkToWide(text.gbk);
}

// The title of the module's application: its file name without extension. The shell loads the
// module by the short path it was registered under; the title is the long name all the same.
std::string applicationTitle() {
  char name[MAX_PATH + 1] = {};
  DWORD length = GetModuleFileNameA(moduleInstance(), name, MAX_PATH);
  char longName[MAX_PATH + 1] = {};
  const DWORD longLength = GetLongPathNameA(name, longName, MAX_PATH);
  if (longLength > 0 && longLength < MAX_PATH) {
    std::memcpy(name, longName, longLength + 1);
    length = longLength;
  }
  return paths::RemoveFileExt(paths::ExtractFileName(std::string_view(name, length)));
}

} // namespace

std::unique_ptr<WindowClass> registerFormClass() {
  WNDCLASSEXW description{};
  description.cbSize = sizeof description;
  description.lpfnWndProc = DefWindowProcW; // replaced per window at creation
  description.hInstance = moduleInstance();
  description.hIcon = LoadIconW(nullptr, kApplicationIcon);
  description.hCursor = LoadCursorW(nullptr, kArrowCursor);
  description.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  description.lpszClassName = kFormClass;
  return std::make_unique<WindowClass>(description);
}

AddToArchiveWindow::AddToArchiveWindow(std::unique_ptr<ArchiveWriter> writer,
                                       const FileProbe& files)
    : writer_(std::move(writer)), form_(*this, *writer_, files),
      font_(kFontHeight, GB2312_CHARSET, gbkToWide(texts::kFontFace.gbk).c_str()) {
  INITCOMMONCONTROLSEX common{sizeof common, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&common);

  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, kFormStyle, FALSE, kFormExStyle);
  window_ = CreateWindowExW(kFormExStyle, kFormClass, wideText(texts::kCaption).c_str(), kFormStyle,
                            0, 0, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                            nullptr, moduleInstance(), nullptr);
  if (!window_)
    throw std::runtime_error("CreateWindowEx failed for the dialog");
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&windowProc));

  fullHeight_ = sizeAndCentre(window_, kClientWidth, kClientHeight, nullptr).height;

  HMENU systemMenu = GetSystemMenu(window_, FALSE);
  AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(systemMenu, MF_STRING, kRollUpCommand, wideText(texts::kRollUp).c_str());

  createControls();
}

AddToArchiveWindow::~AddToArchiveWindow() = default;

AddToArchiveWindow::OwnedWindow::~OwnedWindow() {
  if (!handle)
    return;
  SetWindowLongPtrW(handle, GWLP_USERDATA, 0);
  DestroyWindow(handle);
}

void AddToArchiveWindow::createControls() {
  const HWND label = createChild(window_, idLabel5, L"STATIC", wideText(texts::kTopLineInitial),
                                 kChild | SS_LEFT | SS_NOPREFIX, 0, kLabel5Rect);
  const HWND group =
      createChild(window_, idGroupBox, kGroupBoxClass, wideText(texts::kGroupCaption),
                  kChild | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, kGroupBoxRect);
  const HWND edit = createChild(group, idEdit1, L"EDIT", L"", kChild | WS_TABSTOP | ES_AUTOHSCROLL,
                                WS_EX_CLIENTEDGE, kEdit1Rect);
  const HWND bar =
      createChild(window_, idZipPB, PROGRESS_CLASSW, L"", kChild | WS_BORDER, 0, kZipPBRect);
  SendMessageW(bar, PBM_SETRANGE32, 0, kProgressMax);
  SendMessageW(bar, PBM_SETPOS, 0, 0);
  const HWND panel = createChild(window_, idPanel, kPanelClass, L"", kChild | WS_CLIPCHILDREN,
                                 WS_EX_CONTROLPARENT, kPanelRect);
  const HWND add = createChild(panel, idAddButton, L"BUTTON", wideText(texts::kAddButton),
                               kChild | WS_TABSTOP | BS_PUSHBUTTON, 0, kAddButtonRect);
  const HWND cancel = createChild(panel, idCancelButton, L"BUTTON", wideText(texts::kCancelButton),
                                  kChild | WS_TABSTOP | BS_PUSHBUTTON, 0, kCancelButtonRect);
  const HWND list = createChild(window_, idListBox1, L"LISTBOX", L"",
                                WS_CHILD | LBS_NOINTEGRALHEIGHT, 0, kListBox1Rect);
  SendMessageW(list, LB_SETITEMHEIGHT, 0, kListItemHeight);
  const HWND password =
      createChild(window_, idPasswordB, L"BUTTON", wideText(texts::kPasswordButton),
                  WS_CHILD | BS_PUSHBUTTON, 0, kPasswordBRect);

  for (HWND child : {label, group, edit, bar, panel, add, cancel, list, password}) {
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.handle()), FALSE);
  }
}

HWND AddToArchiveWindow::control(ControlId id) const {
  switch (id) {
  case idEdit1:
    return GetDlgItem(GetDlgItem(window_, idGroupBox), id);
  case idAddButton:
  case idCancelButton:
    return GetDlgItem(GetDlgItem(window_, idPanel), id);
  default:
    return GetDlgItem(window_, id);
  }
}

void AddToArchiveWindow::open(const std::vector<std::string>& paths) {
  form_.addItems(paths);
  for (const std::string& path : paths) {
    SendMessageA(control(idListBox1), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
  }
  form_.FormShow();
  ShowWindow(window_, SW_SHOW);
  UpdateWindow(window_);
}

LRESULT CALLBACK AddToArchiveWindow::windowProc(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
  auto* self = reinterpret_cast<AddToArchiveWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self)
    return DefWindowProcW(window, message, wParam, lParam);
  try {
    return self->handleMessage(message, wParam, lParam);
  } catch (...) {
    // Nothing may unwind through the system's dispatch.
    return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT AddToArchiveWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_COMMAND:
    onCommand(LOWORD(wParam), HIWORD(wParam));
    return 0;
  case WM_CLOSE: // the frame's close icon closes like cancel
    form_.SkinButton3Click();
    return 0;
  case WM_SYSCOMMAND:
    if ((wParam & 0xFFF0) == kRollUpCommand) {
      toggleRollUp();
      return 0;
    }
    break;
  case WM_GETMINMAXINFO: {
    // Rolled up, the window is no taller than its caption.
    auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
    limits->ptMinTrackSize.y = 0;
    return 0;
  }
  case WM_CTLCOLORSTATIC: { // the top line is transparent
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
  }
  default:
    break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

void AddToArchiveWindow::onCommand(int id, int code) {
  if (code != BN_CLICKED)
    return;
  switch (id) {
  case idAddButton:
    form_.pressAdd();
    break;
  case idCancelButton:
    form_.SkinButton3Click();
    break;
  case idPasswordB:
    form_.PasswordBClick();
    break;
  default:
    break;
  }
}

void AddToArchiveWindow::toggleRollUp() {
  RECT window;
  GetWindowRect(window_, &window);
  RECT client;
  GetClientRect(window_, &client);
  const int width = window.right - window.left;
  if (!rolledUp_) {
    fullHeight_ = window.bottom - window.top;
    const int captionHeight = fullHeight_ - client.bottom;
    SetWindowPos(window_, nullptr, 0, 0, width, captionHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    SetWindowPos(window_, nullptr, 0, 0, width, fullHeight_,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  rolledUp_ = !rolledUp_;
  CheckMenuItem(GetSystemMenu(window_, FALSE), kRollUpCommand,
                MF_BYCOMMAND | (rolledUp_ ? MF_CHECKED : MF_UNCHECKED));
}

void AddToArchiveWindow::setTopLine(const std::string& text) {
  SetWindowTextA(control(idLabel5), text.c_str());
}

void AddToArchiveWindow::setEditText(const std::string& text) {
  SetWindowTextA(control(idEdit1), text.c_str());
}

std::string AddToArchiveWindow::editText() const {
  const HWND edit = control(idEdit1);
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(edit)) + 1, '\0');
  const int length = GetWindowTextA(edit, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  return text;
}

void AddToArchiveWindow::setProgress(int percent) {
  const HWND bar = control(idZipPB);
  SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
  RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void AddToArchiveWindow::showWarning(const std::string& text) {
  MessageBoxW(window_, gbkToWide(text).c_str(), wideText(texts::kWarningCaption).c_str(),
              MB_OK | MB_ICONERROR);
}

void AddToArchiveWindow::showFailure(const std::string& text) {
  MessageBoxA(window_, text.c_str(), applicationTitle().c_str(), MB_OK | MB_ICONERROR);
}

void AddToArchiveWindow::showLeftOut(const std::vector<LeftOutFile>& files) {
  // The paths are ANSI (code page 936) like the texts, so the whole message converts at once.
  MessageBoxW(window_, gbkToWide(leftOutMessage(files, TextForm::Gbk)).c_str(),
              wideText(texts::kCaption).c_str(), MB_OK | MB_ICONWARNING);
}

void AddToArchiveWindow::close() {
  closed_ = true;
  ShowWindow(window_, SW_HIDE);
}

} // namespace larkspur::dialog::win32
