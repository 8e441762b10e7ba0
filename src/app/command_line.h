// What Larkspur.exe was asked to do: the menu starts it with a switch, one blank and the
// archive's full path in double quotes. Anything else is refused with a usage message.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace larkspur::app {

enum class AppMode { Extract, ExtractForm };

struct AppCommand {
  AppMode mode;
  std::string archive;
};

// The part of a whole process command line (as GetCommandLine gives it) after the program's
// own name, quoted or not, and the blanks that follow it.
std::string_view argumentsOf(std::string_view commandLine);

// "/Extract "PATH"" or "/ExtractForm "PATH"" (switches in any letter case; blanks around the
// parts tolerated; the quotes may be left out when the path has no blank). Nothing otherwise.
std::optional<AppCommand> parseArguments(std::string_view arguments);

} // namespace larkspur::app
