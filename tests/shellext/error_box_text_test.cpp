#include "shellext/error_box_text.h"

#include <gtest/gtest.h>

namespace larkspur::shell {
namespace {

struct BoxCase {
  const char* message;
  const char* text;
};

class ErrorBoxTextTest : public ::testing::TestWithParam<BoxCase> {};

TEST_P(ErrorBoxTextTest, AppendsDotOnlyAfterCharacterSortingAboveIt) {
  EXPECT_EQ(ErrorBoxText(GetParam().message), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Messages, ErrorBoxTextTest,
                         ::testing::Values(BoxCase{"Out of memory", "Out of memory."},
                                           BoxCase{"Done.", "Done."}, BoxCase{"Stop!", "Stop!"},
                                           BoxCase{"(x)", "(x)"}, BoxCase{"a/", "a/."},
                                           BoxCase{"a-", "a-"}, BoxCase{"\xB4\xED", "\xB4\xED."},
                                           BoxCase{"", ""}));

} // namespace
} // namespace larkspur::shell
