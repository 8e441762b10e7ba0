// The command table and the dispatcher.
#include "cli/cli.h"

#include <iterator>

#include "cli/commands.h"

namespace larkspur::cli {

namespace {

const Command kCommands[] = {
    {"list", kListUsage, runList}, {"compress", kCompressUsage, runCompress},
    {"add", kAddUsage, runAdd},    {"extract", kExtractUsage, runExtract},
    {"test", kTestUsage, runTest},
};

} // namespace

void printUsage(std::ostream& err) {
  err << "usage:\n";
  for (const Command& command : kCommands)
    err << command.usage;
}

int runCli(const Arguments& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    printUsage(err);
    return kExitUsage;
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
