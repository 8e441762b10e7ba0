// Stored names: separators both ways, the split, and double-byte names whose trail byte is the
// backslash byte, under Windows rules on any system.
#include "zip/format/stored_name.h"

#include <gtest/gtest.h>

#include "record_test_support.h"

namespace larkspur::zip {
namespace {

using test::kWindowsGbkRules;

// "\x81\x5C" and "\xB1\x5C" are double-byte characters whose trail byte is 0x5C.
const std::string kTrail1 = "\x81\x5C";
const std::string kTrail2 = "\xB1\x5C";

struct NameCase {
  const char* label;
  std::string directory, fileName; // in memory, Windows separators
  std::string stored;
};

class WindowsStoredName : public testing::TestWithParam<NameCase> {};

TEST_P(WindowsStoredName, EncodesAndSplitsBack) {
  const NameCase& c = GetParam();
  EXPECT_EQ(EncodeStoredName(c.directory, c.fileName, kWindowsGbkRules), c.stored);
  const SplitName back = DecodeStoredName(c.stored, true, kWindowsGbkRules);
  EXPECT_EQ(back.directory, c.directory);
  EXPECT_EQ(back.fileName, c.fileName);
}

INSTANTIATE_TEST_SUITE_P(
    Records, WindowsStoredName,
    testing::Values(
        NameCase{"Plain", "sub\\", "a.txt", "sub/a.txt"},
        NameCase{"Nested", "a\\b\\", "c", "a/b/c"}, NameCase{"DirectoryEntry", "sub\\", "", "sub/"},
        NameCase{"NoDirectory", "", "readme", "readme"},
        NameCase{"TrailByteInName", "", kTrail1 + "x", kTrail1 + "x"},
        NameCase{"TrailByteEndsName", "d\\", "n" + kTrail1, "d/n" + kTrail1},
        NameCase{"TrailByteEndsDirectory", kTrail2 + "\\", kTrail1, kTrail2 + "/" + kTrail1},
        NameCase{"TrailBytesThroughout", "\xD6\xD0" + kTrail1 + "\\" + kTrail2 + "\\",
                 kTrail2 + kTrail1 + ".txt",
                 "\xD6\xD0" + kTrail1 + "/" + kTrail2 + "/" + kTrail2 + kTrail1 + ".txt"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(StoredName, ColonEndsTheDirectoryAndGetsABackslash) {
  const SplitName split = DecodeStoredName("a:b", true, kWindowsGbkRules);
  EXPECT_EQ(split.directory, "a:\\");
  EXPECT_EQ(split.fileName, "b");
  EXPECT_EQ(EncodeStoredName(split.directory, split.fileName, kWindowsGbkRules), "a:/b");
}

TEST(StoredName, BackslashInAStoredNameSplitsUnderWindowsRules) {
  const SplitName split = DecodeStoredName("x\\y/z", false, kWindowsGbkRules);
  EXPECT_EQ(split.directory, "x\\y\\");
  EXPECT_EQ(split.fileName, "z");
}

TEST(StoredName, PosixRulesKeepEveryByteButTheSlash) {
  const StoredNameRules posix{paths::kPosixSyntax, test::sameText, test::sameText,
                              test::noLeadBytes};
  EXPECT_EQ(EncodeStoredName("d/", "a\\b:c", posix), "d/a\\b:c");
  const SplitName split = DecodeStoredName("d/e/a\\b:c", true, posix);
  EXPECT_EQ(split.directory, "d/e/");
  EXPECT_EQ(split.fileName, "a\\b:c");
}

TEST(StoredName, CodePageConversionFollowsTheFlag) {
  EXPECT_EQ(EncodeStoredName("", "caf\xE9", test::kAccentRules), "caf\x82");
  EXPECT_EQ(DecodeStoredName("caf\x82", true, test::kAccentRules).fileName, "caf\xE9");
  EXPECT_EQ(DecodeStoredName("caf\x82", false, test::kAccentRules).fileName, "caf\x82");
}

} // namespace
} // namespace larkspur::zip
