// The command line the menu starts Larkspur.exe with, and what is refused.
#include "app/command_line.h"

#include <gtest/gtest.h>

namespace larkspur::app {
namespace {

struct LineCase {
  const char* arguments;
  bool accepted;
  AppMode mode;
  const char* archive;
};

class CommandLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(CommandLine, ParsesTheMenusSwitchesAndRefusesTheRest) {
  const LineCase& c = GetParam();
  const auto command = parseArguments(c.arguments);
  ASSERT_EQ(command.has_value(), c.accepted) << c.arguments;
  if (command) {
    EXPECT_EQ(command->mode, c.mode);
    EXPECT_EQ(command->archive, c.archive);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLine,
    ::testing::Values(
        LineCase{"/Extract \"C:\\dl\\a.zip\"", true, AppMode::Extract, "C:\\dl\\a.zip"},
        LineCase{"/ExtractForm \"C:\\My Files\\a b.zip\"", true, AppMode::ExtractForm,
                 "C:\\My Files\\a b.zip"},
        LineCase{"/extract C:\\a.zip ", true, AppMode::Extract, "C:\\a.zip"},
        // GBK name with a 0x5C trail byte passes through untouched.
        LineCase{"/Extract \"C:\\\xB1\x5C.zip\"", true, AppMode::Extract, "C:\\\xB1\x5C.zip"},
        LineCase{"", false, AppMode::Extract, ""},
        LineCase{"/Extract", false, AppMode::Extract, ""},
        LineCase{"/Extract \"\"", false, AppMode::Extract, ""},
        LineCase{"/Extract \"C:\\a.zip", false, AppMode::Extract, ""},
        LineCase{"/Extract \"a.zip\" \"b.zip\"", false, AppMode::Extract, ""},
        LineCase{"/Add \"C:\\a.zip\"", false, AppMode::Extract, ""},
        LineCase{"C:\\a.zip", false, AppMode::Extract, ""}));

TEST(CommandLine, SkipsTheProgramNameQuotedOrNot) {
  EXPECT_EQ(argumentsOf("\"C:\\Program Files\\Larkspur\\Larkspur.exe\" /Extract \"x.zip\""),
            "/Extract \"x.zip\"");
  EXPECT_EQ(argumentsOf("Larkspur.exe  /Extract x.zip"), "/Extract x.zip");
  EXPECT_EQ(argumentsOf("Larkspur.exe"), "");
}

} // namespace
} // namespace larkspur::app
