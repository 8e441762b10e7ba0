// Window inspection, screenshots and message-box answering for the window tests.
#include "window_probe.h"

#include <chrono>
#include <cstdio>
#include <fstream>

namespace larkspur::dialog::testing {
namespace {

constexpr int kPollMilliseconds = 20;
// Where Wine shows the Unix root.
constexpr const char* kUnixRootDrive = "Z:";
// The static control that holds a message box's text.
constexpr int kMessageTextId = 0xFFFF;
constexpr int kBitsPerPixel = 24;

std::wstring className(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

BOOL CALLBACK findIcon(HWND child, LPARAM found) {
  if (className(child) == L"Static" &&
      (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
      SendMessageW(child, STM_GETICON, 0, 0) != 0) {
    *reinterpret_cast<bool*>(found) = true;
  }
  return TRUE;
}

SeenBox readBox(HWND box) {
  SeenBox seen;
  seen.caption = windowTextW(box);
  seen.text = windowTextW(GetDlgItem(box, kMessageTextId));
  const HWND owner = GetWindow(box, GW_OWNER);
  seen.ownerDisabled = owner != nullptr && !IsWindowEnabled(owner);
  EnumChildWindows(box, findIcon, reinterpret_cast<LPARAM>(&seen.hasIcon));
  for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
    const HWND button = GetDlgItem(box, id);
    if (button && IsWindowVisible(button))
      seen.visibleButtons.push_back(id);
  }
  return seen;
}

struct BoxSearch {
  DWORD process;
  HWND found = nullptr;
};

BOOL CALLBACK findBox(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<BoxSearch*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == search->process && IsWindowVisible(window) && className(window) == L"#32770") {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

} // namespace

void pumpMessages(int milliseconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  do {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (milliseconds > 0)
      Sleep(5);
  } while (std::chrono::steady_clock::now() < end);
}

RECT rectInParent(HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::string windowTextA(HWND window) {
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::wstring windowTextW(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::wstring utf8ToWide(std::string_view utf8) {
  const int size = static_cast<int>(utf8.size());
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  wide.resize(static_cast<std::size_t>(
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), size)));
  return wide;
}

bool saveScreenshot(HWND window, const std::string& path) {
  RECT rect;
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0)
    return false;
  const int stride = (width * 3 + 3) & ~3;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height; // bottom-up, as BMP files store rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = kBitsPerPixel;
  info.bmiHeader.biCompression = BI_RGB;
  info.bmiHeader.biSizeImage = static_cast<DWORD>(stride * height);

  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (bitmap) {
    HGDIOBJ previous = SelectObject(memory, bitmap);
    ok = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != 0;
    SelectObject(memory, previous);
    if (ok) {
      BITMAPFILEHEADER file{};
      file.bfType = 0x4D42; // "BM"
      file.bfOffBits = sizeof file + sizeof info.bmiHeader;
      file.bfSize = file.bfOffBits + info.bmiHeader.biSizeImage;
      std::ofstream out(path, std::ios::binary);
      out.write(reinterpret_cast<const char*>(&file), sizeof file);
      out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
      out.write(static_cast<const char*>(bits), info.bmiHeader.biSizeImage);
      ok = out.good();
    }
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok;
}

std::string artifactPath(const std::string& name) {
  return std::string(kUnixRootDrive) + LARKSPUR_BINARY_DIR + "/" + name;
}

MessageBoxWatcher::MessageBoxWatcher() : thread_([this] { watch(); }) {}

MessageBoxWatcher::~MessageBoxWatcher() {
  stop_ = true;
  thread_.join();
}

std::vector<SeenBox> MessageBoxWatcher::boxes() {
  std::lock_guard lock(mutex_);
  return boxes_;
}

void MessageBoxWatcher::watch() {
  while (!stop_) {
    BoxSearch search{GetCurrentProcessId()};
    EnumWindows(findBox, reinterpret_cast<LPARAM>(&search));
    if (search.found) {
      SeenBox seen = readBox(search.found);
      {
        std::lock_guard lock(mutex_);
        boxes_.push_back(std::move(seen));
      }
      PostMessageW(search.found, WM_COMMAND, IDOK, 0);
      while (!stop_ && IsWindow(search.found))
        Sleep(kPollMilliseconds);
    }
    Sleep(kPollMilliseconds);
  }
}

std::vector<SeenBox> boxesShownDuring(const std::function<void()>& action) {
  MessageBoxWatcher watcher;
  action();
  return watcher.boxes();
}

} // namespace larkspur::dialog::testing
