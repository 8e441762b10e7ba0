// The commands of larkspur-zip, one file each; cli.cpp lists them in its table.
#pragma once

#include <vector>

#include "cli/cli.h"
#include "cli/option_table.h"

namespace larkspur::cli {

// list ARCHIVE [--sort MODE] [--assume-bad|--assume-multi|--assume-not-zip]
extern const char kListUsage[];
int runList(const Arguments& args, std::ostream& out, std::ostream& err);
std::vector<OptionInfo> listOptionInfos();

// compress [--name NAME] [OPTIONS] PATH... / add ARCHIVE [OPTIONS] PATH...
extern const char kCompressUsage[];
extern const char kAddUsage[];
int runCompress(const Arguments& args, std::ostream& out, std::ostream& err);
int runAdd(const Arguments& args, std::ostream& out, std::ostream& err);

// extract ARCHIVE [-d DIR] [PATTERN...] [--overwrite ...] / test ARCHIVE
extern const char kExtractUsage[];
extern const char kTestUsage[];
int runExtract(const Arguments& args, std::ostream& out, std::ostream& err);
int runTest(const Arguments& args, std::ostream& out, std::ostream& err);
std::vector<OptionInfo> engineOptionInfos();

} // namespace larkspur::cli
