// The option tables against what the program says and does: every option a command takes is in
// its usage and every option its usage names is taken; a value that is missing or wrong is a
// usage error with the option's own message.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>

#include "cli/commands.h"
#include "cli/option_table.h"
#include "cli/writer_request.h"
#include "cli_run.h"

namespace larkspur::cli {
namespace {

struct CommandUsage {
  CommandBit command;
  std::string usage;
  std::vector<OptionInfo> options;
};

std::vector<CommandUsage> commandUsages() {
  std::ostringstream writerOptions;
  writeWriterOptionsUsage(writerOptions);
  return {{kList, kListUsage, listOptionInfos()},
          {kCompress, kCompressUsage + writerOptions.str(), writerOptionInfos()},
          {kAdd, kAddUsage + writerOptions.str(), writerOptionInfos()},
          {kExtract, kExtractUsage, engineOptionInfos()},
          {kTest, kTestUsage, engineOptionInfos()}};
}

// The options a usage text names: words starting with "-" after a blank, "[", "|" or "(".
std::set<std::string> optionsNamedIn(const std::string& usage) {
  static const std::regex option(R"((?:^|[\s\[|(])(--?[a-z][a-z-]*))");
  std::set<std::string> names;
  for (auto it = std::sregex_iterator(usage.begin(), usage.end(), option);
       it != std::sregex_iterator(); ++it)
    names.insert((*it)[1]);
  return names;
}

TEST(OptionTable, EachCommandsUsageNamesExactlyTheOptionsItTakes) {
  for (const CommandUsage& c : commandUsages()) {
    std::set<std::string> taken;
    for (const OptionInfo& option : c.options) {
      if ((option.commands & c.command) != 0 && !option.prefix)
        taken.insert(std::string(option.name));
    }
    EXPECT_EQ(optionsNamedIn(c.usage), taken) << c.usage;
  }
}

TEST(OptionTable, UsageLinesFitAWideTerminal) {
  std::ostringstream usage;
  printUsage(usage);
  std::istringstream lines(usage.str());
  bool levelShown = false;
  for (std::string line; std::getline(lines, line);) {
    EXPECT_LE(line.size(), 100u) << line;
    levelShown |= line.starts_with("    --level N ") && line.ends_with(" 0-9, default 9");
  }
  EXPECT_TRUE(levelShown);
}

struct Refusal {
  Arguments args;
  std::string err; // what standard error starts with
};

class OptionRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(OptionRefusal, IsAUsageErrorWithTheOptionsOwnMessage) {
  const CliRun r = run(GetParam().args);
  EXPECT_EQ(r.status, kExitUsage);
  EXPECT_EQ(r.err.substr(0, GetParam().err.size()), GetParam().err);
  EXPECT_EQ(r.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Commands, OptionRefusal,
    ::testing::Values(
        Refusal{{"compress", "p", "--level"}, "--level needs a value\n"},
        Refusal{{"compress", "--level", "10", "p"}, "--level takes a number from 0 to 9\n"},
        Refusal{{"add", "a.zip", "--name", "n.zip", "p"}, "unknown option: --name\n"},
        Refusal{{"add", "a.zip", "--action", "merge", "p"},
                "--action takes update, replace or freshen\n"},
        Refusal{{"compress", "--password=secret", "p"},
                "a password on the command line is visible to every user"},
        Refusal{{"compress", "--split", "0", "p"}, "--split takes a size of at least 1 byte"},
        Refusal{{"extract", "a.zip", "-d"}, "larkspur-zip extract: -d needs a folder\nusage:\n"},
        Refusal{{"extract", "a.zip", "--overwrite"},
                "larkspur-zip extract: --overwrite takes never, always or rename\n"},
        Refusal{{"test", "a.zip", "--password-file"},
                "larkspur-zip test: --password-file needs a file\n"},
        Refusal{{"test", "a.zip", "-d", "x"}, "larkspur-zip test: unknown option: -d\n"},
        Refusal{{"list", "a.zip", "--sort"}, "larkspur-zip list: --sort needs a mode\n"},
        Refusal{{"list", "a.zip", "--level", "9"},
                "larkspur-zip list: unknown option: --level\n"}));

} // namespace
} // namespace larkspur::cli
