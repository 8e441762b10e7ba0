// Reading a password from a file or from the terminal without echo.
#include "cli/password_source.h"

#include <fstream>

#include "platform/error.h"
#include "platform/terminal.h"

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
  return promptPassword(platform::readHiddenLine, confirm);
}

} // namespace larkspur::cli
