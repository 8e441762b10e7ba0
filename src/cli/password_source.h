// Where a command's password comes from: none, the first line of a file, or a prompt on the
// terminal with echo off.
#pragma once

#include <string>

namespace larkspur::cli {

struct PasswordRequest {
  enum class Kind {
    None,
    File,
    Prompt
  } kind = Kind::None; // none, --password-file FILE, --password
  std::string file;
};

// Reads the password: from the file's first line, or by prompting on the terminal with echo off
// (`confirm`: twice, for writing). Throws larkspur::Error with a clear message: file unreadable,
// empty password refused, no terminal to prompt on, the two entries differ.
std::string obtainPassword(const PasswordRequest& request, bool confirm);

} // namespace larkspur::cli
