// Passwords from a file's first line or from the terminal without echo.
#include "cli/password_source.h"

#include <fstream>
#include <iostream>

#include "platform/error.h"

#ifndef _WIN32
#include <termios.h>
#include <unistd.h>
#endif

namespace larkspur::cli {

namespace {

std::string firstLine(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in)
    throw Error("cannot read the password file \"" + file + "\"");
  std::string line;
  std::getline(in, line);
  if (!line.empty() && line.back() == '\r')
    line.pop_back();
  return line;
}

std::string prompt(const char* question) {
#ifdef _WIN32
  (void)question;
  throw Error("no terminal to ask for the password on; use --password-file");
#else
  if (!::isatty(STDIN_FILENO))
    throw Error("no terminal to ask for the password on; use --password-file");
  termios old{};
  ::tcgetattr(STDIN_FILENO, &old);
  termios silent = old;
  silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
  std::cerr << question << std::flush;
  std::string line;
  std::getline(std::cin, line);
  ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &old);
  std::cerr << "\n";
  return line;
#endif
}

} // namespace

std::string obtainPassword(const PasswordRequest& request, bool confirm) {
  std::string password;
  switch (request.kind) {
  case PasswordRequest::Kind::None:
    return {};
  case PasswordRequest::Kind::File:
    password = firstLine(request.file);
    break;
  case PasswordRequest::Kind::Prompt:
    password = prompt("Password: ");
    if (confirm && prompt("Password again: ") != password)
      throw Error("the two passwords differ");
    break;
  }
  if (password.empty())
    throw Error("an empty password is refused");
  return password;
}

} // namespace larkspur::cli
