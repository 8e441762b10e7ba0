// Runs larkspur-zip's dispatcher in-process for a test and keeps what it printed.
#pragma once

#include <sstream>
#include <string>

#include "cli/cli.h"

namespace larkspur::cli {

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

inline CliRun run(const Arguments& args) {
  std::ostringstream out, err;
  const int status = runCli(args, out, err);
  return {status, out.str(), err.str()};
}

} // namespace larkspur::cli
