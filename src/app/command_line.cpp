// Parsing of Larkspur.exe's command line.
#include "app/command_line.h"

#include "platform/paths.h"

namespace larkspur::app {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos)
    return {};
  const auto last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

} // namespace

std::string_view argumentsOf(std::string_view commandLine) {
  std::size_t end = 0;
  if (!commandLine.empty() && commandLine[0] == '"') {
    const auto closing = commandLine.find('"', 1);
    end = closing == std::string_view::npos ? commandLine.size() : closing + 1;
  } else {
    end = commandLine.find_first_of(kBlanks);
    if (end == std::string_view::npos)
      end = commandLine.size();
  }
  return trimmed(commandLine.substr(end));
}

std::optional<AppCommand> parseArguments(std::string_view arguments) {
  arguments = trimmed(arguments);
  const auto blank = arguments.find_first_of(kBlanks);
  if (blank == std::string_view::npos)
    return std::nullopt;
  const std::string_view commandSwitch = arguments.substr(0, blank);
  std::string_view path = trimmed(arguments.substr(blank));

  AppCommand command{AppMode::Extract, {}};
  if (paths::SameTextAscii(commandSwitch, "/Extract"))
    command.mode = AppMode::Extract;
  else if (paths::SameTextAscii(commandSwitch, "/ExtractForm"))
    command.mode = AppMode::ExtractForm;
  else
    return std::nullopt;

  if (!path.empty() && path.front() == '"') {
    if (path.size() < 2 || path.back() != '"')
      return std::nullopt;
    path = path.substr(1, path.size() - 2);
  }
  // One path only: a quote inside it means several arguments or a broken line.
  if (path.empty() || path.find('"') != std::string_view::npos)
    return std::nullopt;
  command.archive = std::string(path);
  return command;
}

} // namespace larkspur::app
