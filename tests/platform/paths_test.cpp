// Path functions under both systems' rules, including GBK names whose trail byte is "\".
#include "platform/paths.h"

#include <gtest/gtest.h>

#include "platform/path_syntax.h"

namespace larkspur::paths {
namespace {

// GBK: lead bytes 0x81..0xFE. "\xD5\x5C" is one character whose second byte is "\".
bool gbkLead(unsigned char b) {
  return b >= 0x81 && b <= 0xFE;
}
bool noLead(unsigned char) {
  return false;
}

struct PathCase {
  const char* path;
  const char* name;
  const char* ext;
  const char* filePath;
  const char* dir;
  const char* drive;
};

class WindowsPathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(WindowsPathTest, SplitsAtTheLastRealSeparator) {
  const PathCase& c = GetParam();
  const PathSyntax& s = kWindowsSyntax;
  EXPECT_EQ(syntax::ExtractFileName(s, c.path, gbkLead), c.name);
  EXPECT_EQ(syntax::ExtractFileExt(s, c.path, gbkLead), c.ext);
  EXPECT_EQ(syntax::ExtractFilePath(s, c.path, gbkLead), c.filePath);
  EXPECT_EQ(syntax::ExtractFileDir(s, c.path, gbkLead), c.dir);
  EXPECT_EQ(syntax::ExtractFileDrive(s, c.path, gbkLead), c.drive);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, WindowsPathTest,
    ::testing::Values(
        PathCase{"C:\\a", "a", "", "C:\\", "C:\\", "C:"},
        PathCase{"C:\\d\\a.txt", "a.txt", ".txt", "C:\\d\\", "C:\\d", "C:"},
        PathCase{"C:a.b", "a.b", ".b", "C:", "C:", "C:"},
        PathCase{"a.b\\c", "c", "", "a.b\\", "a.b", ""}, PathCase{"name", "name", "", "", "", ""},
        PathCase{"\\a", "a", "", "\\", "\\", ""}, PathCase{"dir\\", "", "", "dir\\", "dir", ""},
        PathCase{"x.tar.gz", "x.tar.gz", ".gz", "", "", ""},
        PathCase{"\\\\server\\share\\d\\f.z", "f.z", ".z", "\\\\server\\share\\d\\",
                 "\\\\server\\share\\d", "\\\\server\\share"},
        PathCase{"\\\\server\\share", "share", "", "\\\\server\\", "\\\\server",
                 "\\\\server\\share"},
        // GBK trail byte 0x5C is never a separator ...
        PathCase{"C:\\\xD5\x5C", "\xD5\x5C", "", "C:\\", "C:\\", "C:"},
        PathCase{"C:\\d\\\xD5\x5C.txt", "\xD5\x5C.txt", ".txt", "C:\\d\\", "C:\\d", "C:"},
        PathCase{"\xD5\x5C\\a", "a", "", "\xD5\x5C\\", "\xD5\x5C", ""},
        PathCase{"\xD5\x5C\xD5\x5C", "\xD5\x5C\xD5\x5C", "", "", "", ""},
        PathCase{"\\\\\xD5\x5C\\s\\f", "f", "", "\\\\\xD5\x5C\\s\\", "\\\\\xD5\x5C\\s",
                 "\\\\\xD5\x5C\\s"},
        // ... and a lead byte at the very end stands alone.
        PathCase{"a\\\xD5", "\xD5", "", "a\\", "a", ""}));

TEST(WindowsPathRules, TrailByteIsNeitherDelimiterNorDot) {
  const std::string name = "a\\\xD5\x5C";
  EXPECT_TRUE(syntax::IsPathDelimiterAt(kWindowsSyntax, name, 1, gbkLead));
  EXPECT_FALSE(syntax::IsPathDelimiterAt(kWindowsSyntax, name, 3, gbkLead));
  EXPECT_TRUE(syntax::IsPathDelimiterAt(kWindowsSyntax, name, 3, noLead));
  EXPECT_EQ(syntax::ExcludeTrailingPathDelimiter(kWindowsSyntax, name, gbkLead), name);
  EXPECT_EQ(syntax::IncludeTrailingPathDelimiter(kWindowsSyntax, name, gbkLead), name + "\\");
  EXPECT_EQ(syntax::ExtractFileName(kWindowsSyntax, name, noLead), "");
  // A made-up code page whose trail bytes include "." shows the dot rule.
  const auto dotTrail = [](unsigned char b) { return b == 0xA1; };
  EXPECT_EQ(syntax::ExtractFileExt(kWindowsSyntax, "a.b\xA1.", dotTrail), ".b\xA1.");
  EXPECT_EQ(syntax::ExtractFileExt(kWindowsSyntax, "a.b\xA1.", noLead), ".");
  EXPECT_EQ(syntax::RemoveFileExt(kWindowsSyntax, "d.x\\a\xA1.", dotTrail), "d.x\\a\xA1.");
}

TEST(WindowsPathRules, RemovesOnlyTheFileNamesExtension) {
  const PathSyntax& s = kWindowsSyntax;
  EXPECT_EQ(syntax::RemoveFileExt(s, "C:\\d.x\\a.zip", noLead), "C:\\d.x\\a");
  EXPECT_EQ(syntax::RemoveFileExt(s, "C:\\d.x\\a", noLead), "C:\\d.x\\a");
  EXPECT_EQ(syntax::RemoveFileExt(s, "", noLead), "");
}

TEST(WindowsPathRules, TrailingDelimiterIsTheBackslashOnly) {
  const PathSyntax& s = kWindowsSyntax;
  EXPECT_EQ(syntax::IncludeTrailingPathDelimiter(s, "C:", noLead), "C:\\");
  EXPECT_EQ(syntax::IncludeTrailingPathDelimiter(s, "C:\\", noLead), "C:\\");
  EXPECT_EQ(syntax::IncludeTrailingPathDelimiter(s, "", noLead), "\\");
  EXPECT_EQ(syntax::ExcludeTrailingPathDelimiter(s, "C:\\d\\", noLead), "C:\\d");
  EXPECT_EQ(syntax::ExcludeTrailingPathDelimiter(s, "", noLead), "");
}

class PosixPathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(PosixPathTest, SlashIsTheOnlySeparatorAndThereAreNoDrives) {
  const PathCase& c = GetParam();
  const PathSyntax& s = kPosixSyntax;
  EXPECT_EQ(syntax::ExtractFileName(s, c.path, noLead), c.name);
  EXPECT_EQ(syntax::ExtractFileExt(s, c.path, noLead), c.ext);
  EXPECT_EQ(syntax::ExtractFilePath(s, c.path, noLead), c.filePath);
  EXPECT_EQ(syntax::ExtractFileDir(s, c.path, noLead), c.dir);
  EXPECT_EQ(syntax::ExtractFileDrive(s, c.path, noLead), c.drive);
}

INSTANTIATE_TEST_SUITE_P(Paths, PosixPathTest,
                         ::testing::Values(PathCase{"/a", "a", "", "/", "/", ""},
                                           PathCase{"/d/a.txt", "a.txt", ".txt", "/d/", "/d", ""},
                                           PathCase{"C:a\\b.c", "C:a\\b.c", ".c", "", "", ""},
                                           PathCase{"d.x/a", "a", "", "d.x/", "d.x", ""},
                                           PathCase{"/", "", "", "/", "/", ""},
                                           PathCase{"//h/s/f", "f", "", "//h/s/", "//h/s", ""}));

TEST(NativePathRules, UseTheNativeSyntax) {
  const std::string root(1, platform::kPathDelimiter);
  EXPECT_EQ(ExtractFileName(root + "x" + root + "y.z"), "y.z");
  EXPECT_EQ(ExtractFileDir(root + "x"), root);
  EXPECT_EQ(IncludeTrailingPathDelimiter("x"), "x" + root);
  EXPECT_TRUE(IsPathDelimiterAt(root, 0));
}

TEST(AsciiCase, FoldsOnlyAsciiLetters) {
  EXPECT_EQ(UpperCaseAscii("aZ\xE4\xD5\x5c{"), "AZ\xE4\xD5\x5c{");
  EXPECT_EQ(LowerCaseAscii("Az\xC4@["), "az\xC4@[");
  EXPECT_TRUE(SameTextAscii("Readme.TXT", "README.txt"));
  EXPECT_FALSE(SameTextAscii("\xE4", "\xC4"));
  EXPECT_EQ(CompareTextAscii("abc", "ABD"), -1);
  EXPECT_EQ(CompareTextAscii("ab", "AB"), 0);
  EXPECT_EQ(CompareTextAscii("abc", "AB"), 1);
  // Bytes compare unsigned, and "_" (0x5F) sorts after the upper-cased letters.
  EXPECT_EQ(CompareTextAscii("\x80", "a"), 1);
  EXPECT_EQ(CompareTextAscii("_", "a"), 1);
}

} // namespace
} // namespace larkspur::paths
