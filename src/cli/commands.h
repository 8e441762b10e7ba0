// The commands of larkspur-zip, one file each; cli.cpp lists them in its table.
#pragma once

#include "cli/cli.h"

namespace larkspur::cli {

// list ARCHIVE [--sort MODE] [--assume-bad|--assume-multi|--assume-not-zip]
extern const char kListUsage[];
int runList(const Arguments& args, std::ostream& out, std::ostream& err);

// compress [--name NAME] [OPTIONS] PATH... / add ARCHIVE [OPTIONS] PATH...
extern const char kCompressUsage[];
extern const char kAddUsage[];
int runCompress(const Arguments& args, std::ostream& out, std::ostream& err);
int runAdd(const Arguments& args, std::ostream& out, std::ostream& err);

} // namespace larkspur::cli
