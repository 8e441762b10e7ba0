// How names and comments reach the terminal: UTF-8 kept, legacy bytes converted, control
// characters and stray bytes escaped.
#include "cli/terminal_text.h"

#include <gtest/gtest.h>

namespace larkspur::cli {
namespace {

struct TextCase {
  std::string in;
  std::string out;
};

class TerminalTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(TerminalTextTest, ShowsTextOnOneUtf8Line) {
  EXPECT_EQ(TerminalText(GetParam().in), GetParam().out);
  EXPECT_TRUE(IsValidUtf8(TerminalText(GetParam().in)));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TerminalTextTest,
    ::testing::Values(TextCase{"plain/name.txt", "plain/name.txt"},
                      TextCase{"\xE6\x96\x87\xE6\xA1\xA3.txt", "\xE6\x96\x87\xE6\xA1\xA3.txt"},
                      TextCase{"tab\there\nline\rback\\slash", "tab\\there\\nline\\rback\\slash"},
                      TextCase{std::string("nul\0bell\x07", 9), "nul\\x00bell\\x07"},
                      // C1 controls (U+0080..U+009F) act on terminals like C0 ones.
                      TextCase{"csi\xC2\x9B"
                               "2J osc\xC2\x9D"
                               "0;x",
                               "csi\\u009B2J osc\\u009D0;x"},
                      TextCase{"\xC2\x80\xC2\x9F\xC2\xA0", "\\u0080\\u009F\xC2\xA0"},
                      // Bidi overrides and isolates would show a name in another order.
                      TextCase{"evil\xE2\x80\xAEtxt.exe", "evil\\u202Etxt.exe"},
                      TextCase{"\xE2\x80\xAA\xE2\x81\xA6\xE2\x81\xA9\xE2\x80\xA9",
                               "\\u202A\\u2066\\u2069\xE2\x80\xA9"}
#ifndef _WIN32
                      ,
                      // GBK, the legacy code page of the archives met besides UTF-8 ones.
                      TextCase{"\xCE\xC4\xB5\xB5.txt", "\xE6\x96\x87\xE6\xA1\xA3.txt"},
                      // A lone lead byte and a byte GBK leaves unused are escaped.
                      TextCase{"a\x81", "a\\x81"},
                      TextCase{"\xFF"
                               "b",
                               "\\xFFb"}
#endif
                      ));

TEST(Utf8CheckTest, RejectsMalformedSequences) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));         // overlong "/"
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));     // surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80")); // above U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\xE6\x96"));         // cut short
}

} // namespace
} // namespace larkspur::cli
