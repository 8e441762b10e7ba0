// The terminal on Windows: the console (CONIN$/CONOUT$) and the ANSI code page.
#include <windows.h>

#include "platform/terminal.h"

namespace larkspur::platform {

namespace {

// A console handle closed when it goes.
class ConsoleHandle {
public:
  ConsoleHandle(const char* name, DWORD access, DWORD share)
      : handle_(CreateFileA(name, access, share, nullptr, OPEN_EXISTING, 0, nullptr)) {}
  ~ConsoleHandle() {
    if (ok())
      CloseHandle(handle_);
  }
  ConsoleHandle(const ConsoleHandle&) = delete;
  ConsoleHandle& operator=(const ConsoleHandle&) = delete;

  bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

private:
  HANDLE handle_;
};

} // namespace

bool standardErrorIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

bool readHiddenLine(const std::string& prompt, std::string& line) {
  const ConsoleHandle in("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ);
  if (!in.ok())
    return false;
  const ConsoleHandle out("CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE);
  DWORD mode = 0;
  if (GetConsoleMode(in.get(), &mode) == 0)
    return false;
  DWORD written = 0;
  if (out.ok())
    WriteFile(out.get(), prompt.data(), static_cast<DWORD>(prompt.size()), &written, nullptr);
  SetConsoleMode(in.get(), (mode | ENABLE_LINE_INPUT) & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
  line.clear();
  char c = 0;
  DWORD got = 0;
  while (ReadFile(in.get(), &c, 1, &got, nullptr) && got == 1 && c != '\n')
    line += c;
  SetConsoleMode(in.get(), mode);
  if (out.ok())
    WriteFile(out.get(), "\r\n", 2, &written, nullptr);
  if (!line.empty() && line.back() == '\r')
    line.pop_back();
  return true;
}

std::string legacyTextToUtf8(std::string_view text, UnconvertibleByte) {
  const int wideLength =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                      wideLength);
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

} // namespace larkspur::platform
