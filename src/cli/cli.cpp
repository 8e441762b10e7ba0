// The command table and the dispatcher.
#include "cli/cli.h"

#include <iterator>

#include "cli/commands.h"
#include "cli/writer_request.h"

namespace larkspur::cli {

namespace {

const Command kCommands[] = {
    {"list", kListUsage, runList}, {"compress", kCompressUsage, runCompress},
    {"add", kAddUsage, runAdd},    {"extract", kExtractUsage, runExtract},
    {"test", kTestUsage, runTest},
};

} // namespace

void printUsage(std::ostream& to) {
  to << "usage:\n";
  for (const Command& command : kCommands)
    to << command.usage;
  to << "  larkspur-zip -h | --help | --version\n"
        "  OPTIONS of compress and add:\n";
  writeWriterOptionsUsage(to);
  to << "exit status:\n"
        "  0  done\n"
        "  1  failed (the reason is on stderr); also when nothing at all was added, in which\n"
        "     case no archive is written\n"
        "  2  the command line was not understood\n"
        "  3  done, but something was left out, each named on stderr with its reason (not\n"
        "     found, unreadable, not a regular file, name taken by an earlier file, path too\n"
        "     long); for list: the directory had to be rebuilt or disagrees with its end record\n";
}

int runCli(const Arguments& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    printUsage(err);
    return kExitUsage;
  }
  if (args[0] == "-h" || args[0] == "--help") {
    printUsage(out);
    return kExitOk;
  }
  if (args[0] == "--version") {
    out << "larkspur-zip " << kVersion << "\n";
    return kExitOk;
  }
  for (const Command& command : kCommands) {
    if (args[0] == command.name) {
      return command.run(Arguments(std::next(args.begin()), args.end()), out, err);
    }
  }
  err << "unknown command: " << args[0] << "\n";
  printUsage(err);
  return kExitUsage;
}

} // namespace larkspur::cli
