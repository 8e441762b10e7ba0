// Where a password comes from: the first line of a file, or the terminal with echo off. Never
// the command line itself, where every user of the system could read it.
#pragma once

#include <functional>
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

// The prompting alone, on any terminal: `ask(prompt)` shows the prompt and returns the line
// typed (without its end), or nothing when there is no terminal. obtainPassword passes the real
// terminal; tests pass scripted answers.
using PasswordPrompt = std::function<bool(const std::string& prompt, std::string& line)>;
std::string promptPassword(const PasswordPrompt& ask, bool confirm);

} // namespace larkspur::cli
