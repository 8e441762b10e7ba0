// Reading a password from a file or from the terminal without echo.
#include "cli/password_source.h"

#include <fstream>

#include "platform/error.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace larkspur::cli {

namespace {

constexpr char kEmptyRefused[] =
    "an empty password would write the archive unencrypted; give a password or leave the option "
    "out";

// A line without its end: "\n" or "\r\n".
void dropLineEnd(std::string& line) {
  if (!line.empty() && line.back() == '\r')
    line.pop_back();
}

std::string fromFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  if (!in)
    throw Error("cannot read the password file " + name);
  std::string line;
  std::getline(in, line);
  if (in.bad())
    throw Error("cannot read the password file " + name);
  dropLineEnd(line);
  if (line.empty())
    throw Error("the first line of " + name + " is empty: " + kEmptyRefused);
  return line;
}

#ifdef _WIN32
// The console itself, whatever standard input and output are redirected to.
bool askTerminal(const std::string& prompt, std::string& line) {
  const HANDLE in = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
  if (in == INVALID_HANDLE_VALUE)
    return false;
  const HANDLE out =
      CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD mode = 0;
  bool ok = GetConsoleMode(in, &mode) != 0;
  if (ok) {
    DWORD written = 0;
    if (out != INVALID_HANDLE_VALUE)
      WriteFile(out, prompt.data(), static_cast<DWORD>(prompt.size()), &written, nullptr);
    SetConsoleMode(in, (mode | ENABLE_LINE_INPUT) & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    line.clear();
    char c = 0;
    DWORD got = 0;
    while (ReadFile(in, &c, 1, &got, nullptr) && got == 1 && c != '\n')
      line += c;
    SetConsoleMode(in, mode);
    if (out != INVALID_HANDLE_VALUE)
      WriteFile(out, "\r\n", 2, &written, nullptr);
  }
  if (out != INVALID_HANDLE_VALUE)
    CloseHandle(out);
  CloseHandle(in);
  dropLineEnd(line);
  return ok;
}
#else
// The controlling terminal itself, whatever standard input and output are redirected to.
bool askTerminal(const std::string& prompt, std::string& line) {
  const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0)
    return false;
  termios saved{};
  if (::tcgetattr(fd, &saved) != 0) {
    ::close(fd);
    return false;
  }
  termios quiet = saved;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  quiet.c_lflag |= ECHONL;
  if (::write(fd, prompt.data(), prompt.size()) < 0) {
    // The prompt is a courtesy; the answer is what counts.
  }
  ::tcsetattr(fd, TCSANOW, &quiet);
  line.clear();
  char c = 0;
  while (::read(fd, &c, 1) == 1 && c != '\n')
    line += c;
  ::tcsetattr(fd, TCSANOW, &saved);
  ::close(fd);
  dropLineEnd(line);
  return true;
}
#endif

} // namespace

std::string promptPassword(const PasswordPrompt& ask, bool confirm) {
  std::string first;
  if (!ask("Password: ", first))
    throw Error("no terminal to ask for the password on; use --password-file FILE");
  if (first.empty())
    throw Error(std::string("empty password: ") + kEmptyRefused);
  if (confirm) {
    std::string second;
    if (!ask("Password again: ", second) || second != first)
      throw Error("the two passwords differ");
  }
  return first;
}

std::string obtainPassword(const PasswordRequest& request, bool confirm) {
  switch (request.kind) {
  case PasswordRequest::Kind::None:
    return {};
  case PasswordRequest::Kind::File:
    return fromFile(request.file);
  case PasswordRequest::Kind::Prompt:
    break;
  }
  return promptPassword(askTerminal, confirm);
}

} // namespace larkspur::cli
