// The command dispatcher of larkspur-zip: the first argument names the command, the rest are
// its own. Each command is one function in a file of its own, listed in the table in cli.cpp.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace larkspur::cli {

using Arguments = std::vector<std::string>;

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1; // the operation failed; the reason is on stderr
inline constexpr int kExitUsage = 2;   // the command line was not understood
// The command finished, but not everything was done: files or entries were left out (each named
// on stderr with its reason), or a listed directory had to be rebuilt or disagrees with its end
// record.
inline constexpr int kExitIncomplete = 3;

struct Command {
  const char* name;
  const char* usage; // one or more lines, each ending with a newline
  // `args` are the arguments after the command's name.
  int (*run)(const Arguments& args, std::ostream& out, std::ostream& err);
};

// Runs the command named by args[0]; `args` leaves out the program name.
int runCli(const Arguments& args, std::ostream& out, std::ostream& err);

// The program's version, as --version prints it.
inline constexpr char kVersion[] = "1.0.0";

// Writes the usage of every command, the options and the exit statuses.
void printUsage(std::ostream& to);

} // namespace larkspur::cli
