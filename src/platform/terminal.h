// The terminal a command-line run talks to: whether standard error is one, a line read from it
// without echo, and text in the legacy code page turned into UTF-8 for it.
#pragma once

#include <string>
#include <string_view>

namespace larkspur::platform {

// Whether standard error goes to a terminal (progress lines are drawn only there).
bool standardErrorIsTerminal();

// Shows `prompt` on the terminal itself (whatever standard input and output are redirected to)
// and reads one line without echoing it, without its line end. False when there is no terminal.
bool readHiddenLine(const std::string& prompt, std::string& line);

// Stands in for a byte that starts no character of the legacy code page.
using UnconvertibleByte = std::string (*)(unsigned char byte);

// `text` in the legacy code page of the archives this program meets, as UTF-8: Windows' ANSI
// code page (whose own conversion stands in for what it cannot map), or GBK on POSIX, where
// every byte that starts no GBK character becomes `unconvertible(byte)`.
std::string legacyTextToUtf8(std::string_view text, UnconvertibleByte unconvertible);

} // namespace larkspur::platform
