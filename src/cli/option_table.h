// The options of larkspur-zip as tables: each row names an option, its argument, the commands
// that take it, its help line and what it sets. One parse loop serves every table, and the
// usage's option lines are written from the same rows, so the two cannot drift apart.
#pragma once

#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "cli/cli.h"

namespace larkspur::cli {

// The commands, as bits of the set of commands that take an option.
enum CommandBit : unsigned {
  kList = 1u << 0,
  kCompress = 1u << 1,
  kAdd = 1u << 2,
  kExtract = 1u << 3,
  kTest = 1u << 4,
};

// What a row says about its option, whatever it sets.
struct OptionInfo {
  std::string_view name;     // "--level"
  std::string_view argument; // "N"; empty for an option that takes no value
  unsigned commands;         // CommandBit set
  std::string_view help;     // the usage's text; empty keeps the row out of the usage
  // The error when no value follows; empty for "<name> needs a value".
  std::string_view missingValue = {};
  // Matches every argument that starts with `name` (the rest is the value).
  bool prefix = false;
};

// An error text, or nothing when the option or argument was taken.
using ParseProblem = std::optional<std::string>;

template <class Request> struct OptionRow {
  OptionInfo info;
  // Sets what the option stands for in `request`; `value` is empty for a flag.
  ParseProblem (*set)(Request& request, const std::string& value);
};

// Takes an argument that is no option (an archive, a path, a pattern).
template <class Request>
using PositionalHandler = ParseProblem (*)(Request& request, const std::string& argument);

// Whether `argument` is an option rather than a name: "-" and "" are names.
inline bool looksLikeOption(const std::string& argument) {
  return argument.size() > 1 && argument[0] == '-';
}

// Parses `args` for `command` with `table`: options may come anywhere, "--" ends them. An error
// text at the first argument that is not understood.
template <class Request>
ParseProblem parseOptions(std::span<const OptionRow<std::type_identity_t<Request>>> table,
                          CommandBit command, const Arguments& args, Request& request,
                          PositionalHandler<std::type_identity_t<Request>> positional) {
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || !looksLikeOption(arg)) {
      if (ParseProblem problem = positional(request, arg))
        return problem;
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const OptionRow<Request>* row = nullptr;
    for (const OptionRow<Request>& candidate : table) {
      const OptionInfo& info = candidate.info;
      if ((info.commands & command) != 0 &&
          (arg == info.name || (info.prefix && arg.starts_with(info.name)))) {
        row = &candidate;
        break;
      }
    }
    if (!row)
      return "unknown option: " + arg;
    std::string value;
    if (row->info.prefix) {
      value = arg.substr(row->info.name.size());
    } else if (!row->info.argument.empty()) {
      if (i + 1 >= args.size()) {
        return row->info.missingValue.empty() ? arg + " needs a value"
                                              : std::string(row->info.missingValue);
      }
      value = args[++i];
    }
    if (ParseProblem problem = row->set(request, value))
      return problem;
  }
  return std::nullopt;
}

// The rows' infos, for the usage and its checks.
template <class Request, std::size_t N>
std::vector<OptionInfo> optionInfos(const OptionRow<Request> (&table)[N]) {
  std::vector<OptionInfo> infos;
  for (const OptionRow<Request>& row : table)
    infos.push_back(row.info);
  return infos;
}

// Writes one line block per documented option that `commands` take: the name and argument,
// then the help text wrapped below it.
void writeOptionHelp(std::ostream& to, std::span<const OptionInfo> options, unsigned commands);

} // namespace larkspur::cli
