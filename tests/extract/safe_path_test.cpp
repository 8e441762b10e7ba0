// Which stored names stay inside the target, under both systems' rules: every way out (parent
// steps, roots, drives, UNC, devices, Windows' silent trimming) is refused, while ordinary names,
// double-byte names with a 0x5C trail byte and harmless oddities ("./", "a//b") pass.
#include <gtest/gtest.h>

#include "extract/safe_path.h"

namespace larkspur::extract {
namespace {

// GBK: 0x81..0xFE start a two-byte character whose trail byte may be 0x5C ("\").
bool gbkLead(unsigned char c) {
  return c >= 0x81 && c <= 0xFE;
}
bool noLead(unsigned char) {
  return false;
}

struct NameCase {
  const char* name;
  bool safeOnWindows;
  bool safeOnPosix;
  std::vector<std::string> components; // when safe on both (or on the one that accepts it)
};

class EntryNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(EntryNames, AreAcceptedOnlyWhenTheyStayInsideTheTarget) {
  const NameCase& c = GetParam();
  const SafeName windows = checkEntryName(c.name, {true, gbkLead});
  const SafeName posix = checkEntryName(c.name, {false, noLead});
  EXPECT_EQ(windows.unsafeReason.empty(), c.safeOnWindows) << windows.unsafeReason;
  EXPECT_EQ(posix.unsafeReason.empty(), c.safeOnPosix) << posix.unsafeReason;
  if (c.safeOnWindows) {
    EXPECT_EQ(windows.components, c.components);
  } else {
    EXPECT_TRUE(windows.components.empty());
    if (c.safeOnPosix) {
      EXPECT_EQ(posix.components, c.components);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, EntryNames,
    ::testing::Values(
        NameCase{"a.txt", true, true, {"a.txt"}},
        NameCase{"dir/sub/a.txt", true, true, {"dir", "sub", "a.txt"}},
        NameCase{"./a//b", true, true, {"a", "b"}}, NameCase{"dir/", true, true, {"dir"}},
        NameCase{"../evil", false, false, {}}, NameCase{"a/../../evil", false, false, {}},
        NameCase{"a/..", false, false, {}}, NameCase{"/etc/passwd", false, false, {}},
        NameCase{"\\windows\\evil", false, false, {}}, NameCase{"..\\evil", false, false, {}},
        NameCase{"a\\b", true, false, {"a", "b"}}, NameCase{"C:/evil", false, true, {"C:", "evil"}},
        NameCase{"C:evil", false, true, {"C:evil"}},
        NameCase{"//server/share/evil", false, false, {}},
        NameCase{"\\\\server\\share\\evil", false, false, {}},
        NameCase{"a.txt:stream", false, true, {"a.txt:stream"}},
        NameCase{"CON", false, true, {"CON"}},
        NameCase{"sub/nul.txt", false, true, {"sub", "nul.txt"}},
        NameCase{"com1.log", false, true, {"com1.log"}}, NameCase{"Lpt9", false, true, {"Lpt9"}},
        NameCase{"aux .txt", false, true, {"aux .txt"}},
        NameCase{"console.txt", true, true, {"console.txt"}},
        NameCase{"com10", true, true, {"com10"}}, NameCase{"trailing.", false, true, {"trailing."}},
        NameCase{"blank /x", false, true, {"blank ", "x"}},
        NameCase{"what?.txt", false, true, {"what?.txt"}},
        // GBK "表" is B1 ED; 0x81 0x5C has "\" as its trail byte.
        NameCase{"\xB1\xED/\x81\x5C.txt", true, false, {"\xB1\xED", "\x81\x5C.txt"}},
        NameCase{"\x81\x5C/a", true, false, {"\x81\x5C", "a"}}));

TEST(EntryNames, NamesThatNameNothingAreRefusedButAFolderForTheTargetIsHarmless) {
  for (const bool windows : {true, false}) {
    const NameRules rules{windows, noLead};
    EXPECT_FALSE(checkEntryName("", rules).unsafeReason.empty());
    EXPECT_FALSE(checkEntryName(".", rules).unsafeReason.empty());
    EXPECT_FALSE(checkEntryName(std::string("a\0b", 3), rules).unsafeReason.empty());
    const SafeName dot = checkEntryName("./", rules);
    EXPECT_TRUE(dot.unsafeReason.empty());
    EXPECT_TRUE(dot.isDirectory);
    EXPECT_TRUE(dot.components.empty());
  }
}

} // namespace
} // namespace larkspur::extract
