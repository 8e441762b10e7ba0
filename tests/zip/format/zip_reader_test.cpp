// The reader component without archives: defaults, setter rules, Assign, the name dialog's
// cancel path, and the default disk handler's names.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "support/file_contents.h"
#include "support/temp_dir.h"
#include "zip/format/zip_reader.h"
#include "zip_reader_fixtures.h"

namespace larkspur::zip {
namespace {

const std::string kSep(1, platform::kPathDelimiter);

TEST(ZipReaderTest, NewComponentHasDocumentedDefaults) {
  TZipReader reader;
  EXPECT_EQ(reader.ThisVersion(), 222);
  EXPECT_TRUE(reader.ZipName().empty());
  EXPECT_TRUE(reader.DestDir().empty());
  EXPECT_TRUE(reader.RootDir().empty());
  EXPECT_EQ(reader.SortMode, TZipSortMode::ByNone);
  EXPECT_FALSE(reader.RecreateDirs);
  EXPECT_EQ(reader.OverwriteMode, TUZOverwriteMode::Prompt);
  EXPECT_TRUE(reader.FilesList.empty());
  EXPECT_FALSE(reader.DoAll);
  EXPECT_EQ(reader.IncompleteZipMode, TIncompleteZipMode::izAssumeMulti);
  EXPECT_FALSE(reader.KeepZipOpen);
  EXPECT_TRUE(reader.DoProcessMessages);
  EXPECT_TRUE(reader.RetainAttributes);
  EXPECT_FALSE(reader.ReplaceReadOnly);
  EXPECT_FALSE(reader.FlushFilesOnClose);
  EXPECT_TRUE(reader.CheckDiskLabels());
  EXPECT_EQ(reader.MultiMode(), TMultiMode::mmNone);
  EXPECT_EQ(reader.DiskCount(), 1);
  EXPECT_EQ(reader.ActiveDisk(), 0);
  EXPECT_EQ(reader.StreamBufferSize(), 8192);
  EXPECT_EQ(reader.EntryCount(), 0);
  EXPECT_EQ(reader.Entries(), nullptr);
  EXPECT_EQ(reader.ArchiveStream(), nullptr);
  EXPECT_FALSE(reader.Rebuilt());
  EXPECT_TRUE(static_cast<bool>(reader.OnGetNextDisk));
}

TEST(ZipReaderTest, ThisVersionCannotBeChanged) {
  TZipReader reader;
  reader.SetThisVersion(7);
  EXPECT_EQ(reader.ThisVersion(), 222);
}

TEST(ZipReaderTest, RootDirAlwaysEndsWithSeparator) {
  TZipReader reader;
  reader.SetRootDir("base");
  EXPECT_EQ(reader.RootDir(), "base" + kSep);
  reader.SetRootDir("base" + kSep);
  EXPECT_EQ(reader.RootDir(), "base" + kSep);
  reader.SetRootDir("");
  EXPECT_EQ(reader.RootDir(), "");
}

TEST(ZipReaderTest, DestDirLosesTrailingSeparator) {
  TZipReader reader;
  reader.SetDestDir("out" + kSep);
  EXPECT_EQ(reader.DestDir(), "out");
  reader.SetDestDir("out");
  EXPECT_EQ(reader.DestDir(), "out");
}

#ifndef _WIN32
// Without a dialog to show, asking for a name or folder is a cancel; nothing changes.
TEST(ZipReaderTest, QuestionMarkNameIsCanceledWithoutDialog) {
  TZipReader reader;
  reader.SetZipName("kept.zip");
  try {
    reader.SetZipName("/tmp/?");
    FAIL() << "no cancel";
  } catch (const EUserCanceled& e) {
    EXPECT_STREQ(e.what(), "User canceled setting zip file name.");
  }
  EXPECT_EQ(reader.ZipName(), "kept.zip");
}

TEST(ZipReaderTest, QuestionMarkDestDirIsCanceledWithoutDialog) {
  TZipReader reader;
  reader.SetDestDir("kept");
  try {
    reader.SetDestDir("?");
    FAIL() << "no cancel";
  } catch (const EUserCanceled& e) {
    EXPECT_STREQ(e.what(), "User canceled Set Desination Directory");
  }
  EXPECT_EQ(reader.DestDir(), "kept");
}
#endif

TEST(ZipReaderTest, FilesListSetterCopiesTheStrings) {
  TZipReader reader;
  std::vector<std::string> list{"a.txt", "b" + kSep + "*.*"};
  reader.SetFilesList(list);
  list.clear();
  EXPECT_EQ(reader.FilesList.size(), 2u);
  EXPECT_EQ(reader.FilesList[0], "a.txt");
}

TEST(ZipReaderTest, AssignCopiesSettingsAndEventsButNoDirectory) {
  test::TempDir dir;
  std::vector<test::zipbytes::Entry> entries = test::zipbytes::sampleEntries();
  test::writeFile(dir.file("a.zip"), test::zipbytes::archive(entries));
  TZipReader source;
  source.SetZipName(dir.file("a.zip"));
  source.OpenArchive();
  source.SetDestDir("dest");
  source.SetRootDir("root");
  source.SortMode = TZipSortMode::ByDate;
  source.RecreateDirs = true;
  source.OverwriteMode = TUZOverwriteMode::ifNewer;
  source.FilesList = {"x"};
  source.DoAll = true;
  source.IncompleteZipMode = TIncompleteZipMode::izAssumeBad;
  source.KeepZipOpen = true;
  source.DoProcessMessages = false;
  source.RetainAttributes = false;
  source.ReplaceReadOnly = true;
  int fired = 0;
  source.OnInCompleteZip = [&](TZipReader&, TIncompleteZipMode&) { ++fired; };

  TZipReader copy;
  copy.Assign(source);
  EXPECT_EQ(copy.ZipName(), source.ZipName());
  EXPECT_EQ(copy.DestDir(), "dest");
  EXPECT_EQ(copy.RootDir(), "root" + kSep);
  EXPECT_EQ(copy.SortMode, TZipSortMode::ByDate);
  EXPECT_TRUE(copy.RecreateDirs);
  EXPECT_EQ(copy.OverwriteMode, TUZOverwriteMode::ifNewer);
  EXPECT_EQ(copy.FilesList, std::vector<std::string>{"x"});
  EXPECT_TRUE(copy.DoAll);
  EXPECT_EQ(copy.IncompleteZipMode, TIncompleteZipMode::izAssumeBad);
  EXPECT_TRUE(copy.KeepZipOpen);
  EXPECT_FALSE(copy.DoProcessMessages);
  EXPECT_FALSE(copy.RetainAttributes);
  EXPECT_TRUE(copy.ReplaceReadOnly);
  TIncompleteZipMode mode{};
  copy.OnInCompleteZip(copy, mode);
  EXPECT_EQ(fired, 1);
  EXPECT_EQ(copy.EntryCount(), 0);
  EXPECT_EQ(copy.ArchiveStream(), nullptr);
}

// The default handler of a copied component must not act on the component it came from.
TEST(ZipReaderTest, CopiedDefaultDiskHandlerOutlivesItsSource) {
  TZipReader copy;
  {
    TZipReader source;
    copy.Assign(source);
  }
  std::string name = "set.zip";
  copy.OnGetNextDisk(copy, 2, name);
  EXPECT_EQ(name, "set.002");
}

struct DiskNameCase {
  std::string name;
  int disk;
  std::string expected;
};

class DefaultDiskNameTest : public ::testing::TestWithParam<DiskNameCase> {};

TEST_P(DefaultDiskNameTest, ReplacesExtensionByThreeDigitNumber) {
  TZipReader reader;
  std::string name = GetParam().name;
  TZipReader::DefaultGetNextDisk(reader, GetParam().disk, name);
  EXPECT_EQ(name, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Names, DefaultDiskNameTest,
                         ::testing::Values(DiskNameCase{"archive.zip", 1, "archive.001"},
                                           DiskNameCase{"archive.007", 12, "archive.012"},
                                           DiskNameCase{"noext", 3, "noext.003"},
                                           DiskNameCase{"dir.d" + kSep + "set", 4,
                                                        "dir.d" + kSep + "set.004"},
                                           DiskNameCase{"big.zip", 1234, "big.1234"}));

TEST(ZipReaderTest, SameNameKeepsTheDirectory) {
  test::TempDir dir;
  std::vector<test::zipbytes::Entry> entries = test::zipbytes::sampleEntries();
  test::writeFile(dir.file("a.zip"), test::zipbytes::archive(entries));
  TZipReader reader;
  reader.SetZipName(dir.file("a.zip"));
  reader.OpenArchive();
  ASSERT_EQ(reader.EntryCount(), 3);
  reader.SetZipName(dir.file("a.zip"));
  EXPECT_EQ(reader.EntryCount(), 3);
#ifdef _WIN32
  // Windows names ignore letter case: the same file, nothing happens.
  reader.SetZipName(dir.file("A.ZIP"));
  EXPECT_EQ(reader.EntryCount(), 3);
#else
  // POSIX names do not: another file, the directory goes.
  reader.SetZipName(dir.file("A.ZIP"));
  EXPECT_EQ(reader.EntryCount(), 0);
#endif
}

TEST(ZipReaderTest, NewNameDropsDirectoryWithoutReading) {
  test::TempDir dir;
  std::vector<test::zipbytes::Entry> entries = test::zipbytes::sampleEntries();
  test::writeFile(dir.file("a.zip"), test::zipbytes::archive(entries, "note"));
  TZipReader reader;
  reader.SetZipName(dir.file("a.zip"));
  reader.OpenArchive();
  ASSERT_EQ(reader.ArchiveComment(), "note");
  reader.SetZipName(dir.file("missing.zip")); // not read: no error although it is missing
  EXPECT_EQ(reader.EntryCount(), 0);
  EXPECT_EQ(reader.Entries(), nullptr);
  EXPECT_EQ(reader.ArchiveStream(), nullptr);
  EXPECT_EQ(reader.EndRecord().CommentLength, 0);
  EXPECT_EQ(reader.ArchiveTime(), TArchiveStamp{});
}

} // namespace
} // namespace larkspur::zip
