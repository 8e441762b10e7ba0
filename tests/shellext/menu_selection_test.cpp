#include "shellext/menu_selection.h"

#include <gtest/gtest.h>

#include <cctype>

#include "native_path.h"

namespace larkspur::shell {
namespace {

using test::native;

struct ArchiveCase {
  const char* path;
  bool archive;
};

class IsArchivePathTest : public ::testing::TestWithParam<ArchiveCase> {};

TEST_P(IsArchivePathTest, DecidesByExtensionOfFileNamePartOnly) {
  EXPECT_EQ(IsArchivePath(native(GetParam().path)), GetParam().archive) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Names, IsArchivePathTest,
    ::testing::Values(
        ArchiveCase{"C:\\data\\report.zip", true}, ArchiveCase{"C:\\data\\REPORT.Zip", true},
        ArchiveCase{"C:\\data\\a.tar.gz", true}, ArchiveCase{"C:\\data\\b.pak3", true},
        ArchiveCase{"C:\\data\\old.zip", true}, // a folder: only the name counts
        ArchiveCase{"C:\\data\\x.z", true}, ArchiveCase{"lone.uue", true},
        ArchiveCase{"C:\\data\\notes.txt", false}, ArchiveCase{"C:\\data\\readme", false},
        ArchiveCase{"C:\\data\\archive.zip.bak", false}, ArchiveCase{"C:\\rel1.2\\readme", false},
        ArchiveCase{"C:\\data\\zip", false}, ArchiveCase{"C:\\data\\a.zipx", false},
        ArchiveCase{"C:\\data\\a.pak33", false}, ArchiveCase{"C:\\data\\a.", false},
        ArchiveCase{"C:\\data\\a.\xDA\xC9P", false}, // non-ASCII is not folded
        ArchiveCase{"", false}));

TEST(ArchiveExtensionsTest, EveryEntryMatchesInAnyAsciiCase) {
  for (std::string_view extension : ArchiveExtensions) {
    std::string lower(extension);
    for (char& c : lower)
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(IsArchivePath("name" + lower)) << lower;
    EXPECT_TRUE(IsArchivePath("name" + std::string(extension))) << extension;
  }
}

struct SelectionCase {
  std::vector<const char*> paths;
  bool archive;
};

class ArchiveSelectionTest : public ::testing::TestWithParam<SelectionCase> {};

TEST_P(ArchiveSelectionTest, NeedsEveryPathToBeAnArchive) {
  TMenuSelection selection;
  for (const char* path : GetParam().paths)
    selection.AddPath(native(path));
  EXPECT_EQ(selection.IsArchiveSelection(), GetParam().archive);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ArchiveSelectionTest,
    ::testing::Values(SelectionCase{{}, false}, SelectionCase{{"C:\\a.zip"}, true},
                      SelectionCase{{"C:\\a.zip", "C:\\b.rar"}, true},
                      SelectionCase{{"C:\\a.zip", "C:\\c.txt"}, false},
                      SelectionCase{{"C:\\c.txt", "C:\\a.zip"}, false},
                      SelectionCase{{"C:\\a.zip", "C:\\b.cab", "C:\\c"}, false}));

TEST(MenuSelectionTest, SecondInitialisationAppendsAndLastPathIsFileName) {
  TMenuSelection selection;
  selection.AddPath("first.txt");
  selection.AddPath("second.txt");
  EXPECT_EQ(selection.FileList(), (std::vector<std::string>{"first.txt", "second.txt"}));
  EXPECT_EQ(selection.FileName(), "second.txt");
}

TEST(MenuSelectionTest, KeepsDuplicatesInShellOrder) {
  TMenuSelection selection;
  for (const char* path : {"b", "a", "b"})
    selection.AddPath(path);
  EXPECT_EQ(selection.FileList(), (std::vector<std::string>{"b", "a", "b"}));
}

TEST(MenuSelectionTest, StopsAtFirstNul) {
  TMenuSelection selection;
  selection.AddPath(std::string_view("abc\0def", 7));
  EXPECT_EQ(selection.FileName(), "abc");
}

TEST(MenuSelectionTest, KeepsPathsLongerThanTheClassicLimitWhole) {
  const std::string longPath = native("C:\\" + std::string(300, 'd') + "\\file.zip");
  TMenuSelection selection;
  selection.AddPath(longPath);
  EXPECT_EQ(selection.FileName(), longPath);
  EXPECT_TRUE(selection.IsArchiveSelection());
}

} // namespace
} // namespace larkspur::shell
