// larkspur-zip: hands the command line to the dispatcher. Ctrl-C becomes a cancel request that
// long operations honour.
#include <iostream>

#include "cli/cli.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  larkspur::platform::installInterruptHandler();
  const larkspur::cli::Arguments args(argv + 1, argv + argc);
  const int status = larkspur::cli::runCli(args, std::cout, std::cerr);
  std::cout.flush();
  return status;
}
