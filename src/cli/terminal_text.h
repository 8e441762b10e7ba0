// Names and comments as a terminal shows them: UTF-8 on one line. Bytes in the archive's own
// code page are converted; what cannot be converted and every control character is escaped.
#pragma once

#include <string>
#include <string_view>

namespace larkspur::cli {

// Whether `text` is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

// `text` as UTF-8 for the terminal: kept when it is UTF-8 already (or `isUtf8` says so),
// otherwise converted from the system's legacy code page (Windows: ANSI; POSIX: GBK, the
// code page of the archives this program meets besides UTF-8 ones). Control characters become
// escapes (\t, \n, \r, \xNN; C1 controls and bidi overrides and isolates \uNNNN), so every text
// stays on its line and in its order; backslashes stay, being the separator of Windows paths.
std::string TerminalText(std::string_view text, bool isUtf8 = false);

} // namespace larkspur::cli
