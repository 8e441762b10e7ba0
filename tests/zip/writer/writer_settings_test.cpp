// The writer's settings surface: defaults, the linked path flags, MultiZipInfo mirrored into the
// reader, Assign, and the multi-disk refusal.
#include <gtest/gtest.h>

#include "support/file_contents.h"
#include "support/temp_dir.h"
#include "zip/writer/writer_errors.h"
#include "zip/writer/zip_writer.h"

namespace larkspur::zip {
namespace {

TEST(WriterSettings, NewComponentHasTheDocumentedDefaults) {
  TZipWriter w;
  EXPECT_EQ(w.PackLevel(), 6);
  EXPECT_EQ(w.ZipAction(), TZipAction::zaUpdate);
  EXPECT_EQ(w.MultiZipInfo().MultiMode, TMultiMode::mmNone);
  EXPECT_EQ(w.MultiZipInfo().BlockSize, 1457600);
  EXPECT_EQ(w.MultiZipInfo().FirstBlockSize, 1457600);
  EXPECT_EQ(w.MultiZipInfo().SaveOnFirstDisk, 0);
  EXPECT_FALSE(w.MultiZipInfo().SaveZipInfoOnFirstDisk);
  EXPECT_TRUE(w.MultiZipInfo().CheckDiskLabels);
  EXPECT_TRUE(w.MultiZipInfo().WriteDiskLabels);
  EXPECT_TRUE(w.DoProcessMessages);
  for (const bool flag : {w.Recurse(), w.Dispose(), w.StorePaths(), w.RelativePaths(),
                          w.StoreVolumes(), w.Store83Names(), w.SkipIfArchiveBitNotSet(),
                          w.ResetArchiveBitOnZip(), w.AddDirEntriesOnRecurse()}) {
    EXPECT_FALSE(flag);
  }
  EXPECT_TRUE(w.TempPath().empty());
  EXPECT_TRUE(w.ExcludeList().empty());
  EXPECT_TRUE(w.NoCompressList().empty());
}

TEST(WriterSettings, RelativePathsTurnsOnStorePathsAndRecurseAndStorePathsOffUndoesOnlyPaths) {
  TZipWriter w;
  w.SetRelativePaths(true);
  EXPECT_TRUE(w.StorePaths());
  EXPECT_TRUE(w.Recurse());
  w.SetStoreVolumes(true);
  w.SetStorePaths(false);
  EXPECT_FALSE(w.RelativePaths());
  EXPECT_FALSE(w.StoreVolumes());
  EXPECT_TRUE(w.Recurse());
}

TEST(WriterSettings, LinkedSettersActOnlyOnARealChange) {
  TZipWriter w;
  w.SetStoreVolumes(true);
  w.SetStorePaths(true);
  w.SetRelativePaths(false); // unchanged: nothing else moves
  EXPECT_TRUE(w.StoreVolumes());
  w.SetStorePaths(false);
  w.SetStoreVolumes(false); // unchanged: StorePaths stays off
  EXPECT_FALSE(w.StorePaths());
  w.SetStoreVolumes(true);
  w.SetStorePaths(true); // unchanged: StoreVolumes stays on
  EXPECT_TRUE(w.StoreVolumes());
}

TEST(WriterSettings, MultiModeAndDiskLabelsAreKeptInMultiZipInfoAndTheReaderCopy) {
  TZipWriter w;
  w.SetMultiMode(TMultiMode::mmBlocks);
  w.SetCheckDiskLabels(false);
  EXPECT_EQ(w.MultiZipInfo().MultiMode, TMultiMode::mmBlocks);
  EXPECT_FALSE(w.MultiZipInfo().CheckDiskLabels);
  EXPECT_EQ(w.TZipReader::MultiMode(), TMultiMode::mmBlocks);
  EXPECT_FALSE(w.TZipReader::CheckDiskLabels());

  TMultiZipInfo info;
  info.MultiMode = TMultiMode::mmSpan;
  info.CheckDiskLabels = true;
  w.SetMultiZipInfo(info);
  w.Loaded(); // the reader's copies follow what was loaded
  EXPECT_EQ(w.TZipReader::MultiMode(), TMultiMode::mmSpan);
  EXPECT_TRUE(w.TZipReader::CheckDiskLabels());
  w.ClearArchive(); // forgetting the archive resets the mode on the writer too
  EXPECT_EQ(w.MultiZipInfo().MultiMode, TMultiMode::mmNone);
}

TEST(WriterSettings, AssignCopiesSettingsListsAndAllButTwoEvents) {
  TZipWriter source;
  source.SetPackLevel(9);
  source.SetRelativePaths(true);
  source.SetZipAction(TZipAction::zaFreshen);
  source.SetTempPath("t");
  source.SetExcludeList({"*.tmp"});
  source.SetNoCompressList({"*.jpg", "*.zip"});
  TMultiZipInfo info;
  info.BlockSize = 1000;
  source.SetMultiZipInfo(info);
  int fired = 0;
  source.OnZipComplete = [&](TZipWriter&, std::int32_t) { ++fired; };
  source.OnUpdate = [&](TZipWriter&, TUpdateAction, std::int32_t) { ++fired; };
  source.OnRecursingFile = [&](TZipWriter&, const std::string&) { ++fired; };
  source.OnPrepareNextDisk = [&](TZipWriter&, std::int32_t) { ++fired; };

  TZipWriter copy;
  copy.Assign(source);
  EXPECT_EQ(copy.PackLevel(), 9);
  EXPECT_TRUE(copy.RelativePaths() && copy.StorePaths() && copy.Recurse());
  EXPECT_EQ(copy.ZipAction(), TZipAction::zaFreshen);
  EXPECT_EQ(copy.TempPath(), "t");
  EXPECT_EQ(copy.ExcludeList(), std::vector<std::string>{"*.tmp"});
  EXPECT_EQ(copy.NoCompressList().size(), 2u);
  EXPECT_EQ(copy.MultiZipInfo().BlockSize, 1000);
  EXPECT_TRUE(copy.OnZipComplete && copy.OnUpdate);
  EXPECT_FALSE(copy.OnRecursingFile);
  EXPECT_FALSE(copy.OnPrepareNextDisk);
}

// A split archive is always written anew: over an existing file it would lose that file.
TEST(WriterSettings, AMultiDiskModeRefusesAnExistingArchiveAndKeepsIt) {
  test::TempDir dir;
  test::writeFile(dir.file("a.zip"), "keep");
  TZipWriter w;
  w.SetZipName(dir.file("a.zip"));
  w.SetMultiMode(TMultiMode::mmBlocks);
  w.FilesList = {dir.file("x")};
  EXPECT_THROW(w.Zip(), EWriterMode);
  EXPECT_TRUE(w.FilesList.empty());
  EXPECT_EQ(test::readFile(dir.file("a.zip")), "keep");
  EXPECT_FALSE(platform::fileExists(dir.file("a.001")));
}

} // namespace
} // namespace larkspur::zip
