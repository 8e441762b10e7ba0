// What must hold when things go wrong: a full disk, a cancel at any point, files that vanish or
// change while they are read, and sizes or counts the format cannot describe. A first run leaves
// no archive, an update leaves the old archive byte for byte, and no temporary file remains.
#include <cstdlib>

#include "writer_fixture.h"
#include "zip/format/zip_errors.h"
#include "zip/writer/block_output.h"
#include "zip/writer/writer_errors.h"

namespace larkspur::zip::test {
namespace {

using larkspur::test::extractWithUnzip;
using larkspur::test::incompressibleBytes;

class Reliability : public WriterTest {};

// ---- A full disk, for real ------------------------------------------------------------------

#ifndef _WIN32
// A small tmpfs mounted for one test; the test is skipped where mounting is not allowed.
class FullDisk : public Reliability {
protected:
  void SetUp() override {
    disk_ = dir.file("disk");
    platform::createDirectory(disk_);
    const std::string cmd = "mount -t tmpfs -o size=128k tmpfs '" + disk_ + "' 2>/dev/null";
    if (std::system(cmd.c_str()) != 0) {
      GTEST_SKIP() << "cannot mount a tmpfs here (needs root); the full-disk tests are skipped";
    }
    mounted_ = true;
  }
  void TearDown() override {
    if (mounted_)
      std::system(("umount '" + disk_ + "'").c_str());
  }
  std::string onDisk(const std::string& name) const { return disk_ + kSep + name; }
  std::vector<std::string> diskFiles() const {
    std::vector<std::string> names;
    for (platform::DirectoryFind f(disk_ + kSep + "*.*"); f.ok(); f.advance()) {
      if (f.current().name != "." && f.current().name != "..")
        names.push_back(f.current().name);
    }
    return names;
  }

  std::string disk_;
  bool mounted_ = false;
};

TEST_F(FullDisk, AFirstRunRaisesNotEnoughRoomAndLeavesNoArchive) {
  const std::string big = make("big.bin", incompressibleBytes(300000, 1));
  writer.SetZipName(onDisk("new.zip"));
  writer.FilesList = {big};
  try {
    writer.Zip();
    FAIL() << "the disk did not fill";
  } catch (const ENotEnoughRoom& e) {
    EXPECT_STREQ(e.what(), "Not enough room to write archive");
  }
  EXPECT_TRUE(diskFiles().empty());
  EXPECT_TRUE(writer.FilesList.empty());
}

TEST_F(FullDisk, AnUpdateWithItsTemporaryFileOnTheFullDiskKeepsTheOldArchive) {
  writer.SetZipName(onDisk("old.zip"));
  writer.FilesList = {make("small.bin", incompressibleBytes(40000, 2))};
  writer.Zip();
  const std::string before = readFile(onDisk("old.zip"));
  writer.SetTempPath(disk_);
  writer.FilesList = {make("big.bin", incompressibleBytes(120000, 3))};
  EXPECT_THROW(writer.Zip(), ENotEnoughRoom);
  EXPECT_EQ(readFile(onDisk("old.zip")), before);
  EXPECT_EQ(diskFiles(), std::vector<std::string>{"old.zip"});
}

TEST_F(FullDisk, AnUpdateThatDoesNotFitBesideTheOldArchiveKeepsIt) {
  // The new archive is built beside the old one, whatever TempPath says: the disk must hold
  // both for a moment, and when it cannot, the old one stays.
  writer.SetZipName(onDisk("old.zip"));
  writer.FilesList = {make("first.bin", incompressibleBytes(60000, 4))};
  writer.Zip();
  const std::string before = readFile(onDisk("old.zip"));
  writer.FilesList = {make("second.bin", incompressibleBytes(60000, 5))};
  EXPECT_THROW(writer.Zip(), ENotEnoughRoom);
  EXPECT_EQ(readFile(onDisk("old.zip")), before);
  EXPECT_EQ(diskFiles(), std::vector<std::string>{"old.zip"});
  EXPECT_TRUE(tempFiles().empty());
  EXPECT_EQ(archiveProblems(onDisk("old.zip")), "");
}

TEST_F(FullDisk, BlockFilesOfAFailedSetAreAllRemovedSoTheNextRunFits) {
  TMultiZipInfo info;
  info.MultiMode = TMultiMode::mmBlocks;
  info.FirstBlockSize = 30000;
  info.BlockSize = 30000;
  writer.SetMultiZipInfo(info);
  writer.SetZipName(onDisk("set.zip"));
  writer.FilesList = {make("big.bin", incompressibleBytes(300000, 8))};
  EXPECT_THROW(writer.Zip(), ENotEnoughRoom);
  EXPECT_EQ(diskFiles(), std::vector<std::string>{});
  writer.FilesList = {make("fits.bin", incompressibleBytes(50000, 9))};
  writer.Zip();
  EXPECT_EQ(diskFiles().size(), 2u); // set.001 and set.002
}

TEST_F(FullDisk, ThreadedRunsKeepTheOldArchiveOrLeaveNone) {
  writer.SetCompressionThreads(2);
  writer.SetZipName(onDisk("old.zip"));
  writer.FilesList = {make("first.bin", incompressibleBytes(60000, 4))};
  writer.Zip();
  const std::string before = readFile(onDisk("old.zip"));
  std::vector<std::string> files;
  for (int i = 0; i < 10; ++i)
    files.push_back(make("f" + std::to_string(i), incompressibleBytes(20000, 20 + i)));
  writer.FilesList = files;
  EXPECT_THROW(writer.Zip(), ENotEnoughRoom);
  EXPECT_EQ(readFile(onDisk("old.zip")), before);
  EXPECT_EQ(diskFiles(), std::vector<std::string>{"old.zip"});
  platform::deleteFile(onDisk("old.zip"));
  writer.FilesList = files;
  EXPECT_THROW(writer.Zip(), ENotEnoughRoom);
  EXPECT_TRUE(diskFiles().empty());
  EXPECT_TRUE(tempFiles().empty()); // nor anything the workers held
}

TEST_F(FullDisk, SmallFilesThatFillTheDiskRaiseNotEnoughRoomToo) {
  // Small entries reach the disk only when the header rewrite moves back through the buffer.
  writer.SetZipName(onDisk("new.zip"));
  for (int i = 0; i < 40; ++i)
    writer.FilesList.push_back(make("f" + std::to_string(i), incompressibleBytes(5000, 10 + i)));
  EXPECT_THROW(writer.Zip(), ENotEnoughRoom);
  EXPECT_TRUE(diskFiles().empty());
}
#endif

TEST_F(Reliability, TheArchiveNamedAmongTheFilesIsNotStoredInItself) {
  zip({make("a.txt", "alpha")});
  EXPECT_EQ(zip({zipName(), make("b.txt", "beta")}), 1);
  EXPECT_EQ(names(), (std::vector<std::string>{"a.txt", "b.txt"}));
}

// ---- Cancel at any point --------------------------------------------------------------------

enum class CancelPoint { Searching, Writing, CarryingOver, StartInfo };

struct CancelCase {
  CancelPoint point;
  bool update;
};

class Cancel : public Reliability, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(Cancel, LeavesNoArchiveOrTheOldOneAndNoTemporaryFile) {
  const CancelCase c = GetParam();
  make("one.txt", incompressibleBytes(100000, 6), dosTime(2020, 1, 1));
  make("two.txt", incompressibleBytes(100000, 7), dosTime(2020, 1, 1));
  std::string before;
  if (c.update) {
    zip({path("one.txt")});
    before = readFile(zipName());
  } else if (c.point == CancelPoint::CarryingOver) {
    GTEST_SKIP() << "a first run carries nothing over";
  }
  switch (c.point) {
  case CancelPoint::Searching:
    writer.OnRecursingFile = [](TZipWriter& w, const std::string&) { w.CancelRequested = true; };
    break;
  case CancelPoint::Writing:
    writer.OnFilePercentDone = [](TZipReader& w, int) { w.CancelRequested = true; };
    break;
  case CancelPoint::CarryingOver:
    writer.OnUpdate = [](TZipWriter& w, TUpdateAction, std::int32_t) { w.CancelRequested = true; };
    make("one.txt", "", dosTime(2020, 1, 1)); // same time: the entry is kept, not replaced
    break;
  case CancelPoint::StartInfo:
    writer.OnStartZipInfo = [](TZipWriter&, std::int32_t, std::int64_t, TEndCentral&, bool& stop) {
      stop = true;
    };
    break;
  }
  EXPECT_THROW(zip({src() + kSep + "*.txt"}), EUserCanceled);
  if (c.update) {
    EXPECT_EQ(readFile(zipName()), before);
  } else {
    EXPECT_FALSE(platform::fileExists(zipName()));
  }
  EXPECT_TRUE(tempFiles().empty());
  EXPECT_TRUE(writer.FilesList.empty());
  EXPECT_FALSE(writer.CancelRequested);
}

INSTANTIATE_TEST_SUITE_P(Points, Cancel,
                         ::testing::Values(CancelCase{CancelPoint::Searching, false},
                                           CancelCase{CancelPoint::Searching, true},
                                           CancelCase{CancelPoint::Writing, false},
                                           CancelCase{CancelPoint::Writing, true},
                                           CancelCase{CancelPoint::CarryingOver, true},
                                           CancelCase{CancelPoint::StartInfo, false},
                                           CancelCase{CancelPoint::StartInfo, true}));

// ---- Files that vanish or change while they are zipped ---------------------------------------

TEST_F(Reliability, AFileThatVanishesBeforeItIsZippedIsLeftOut) {
  make("a.txt", "alpha");
  make("b.txt", "beta");
  writer.OnRecursingFile = [this](TZipWriter&, const std::string& name) {
    if (name == path("a.txt"))
      platform::deleteFile(name);
  };
  EXPECT_EQ(zip({src() + kSep + "*.txt"}), 1);
  EXPECT_EQ(names(), std::vector<std::string>{"b.txt"});
  EXPECT_EQ(archiveProblems(zipName()), "");
}

class ChangingFile : public Reliability, public ::testing::WithParamInterface<int> {};

// The entry describes exactly the bytes that were read, whatever happened to the file meanwhile.
TEST_P(ChangingFile, NeverYieldsACorruptEntry) {
  const int level = GetParam();
  const std::string f = make("moving.txt", incompressibleBytes(200000, 8));
  const std::string grow = make("growing.txt", incompressibleBytes(200000, 9));
  bool changed = false;
  writer.OnFilePercentDone = [&](TZipReader&, int) {
    if (changed)
      return;
    changed = true;
    platform::File::open(f, platform::Access::ReadWrite, platform::Share::DenyNone).setSize(50000);
    auto g = platform::File::open(grow, platform::Access::ReadWrite, platform::Share::DenyNone);
    g.seek(0, platform::SeekOrigin::End);
    const std::string more = incompressibleBytes(100000, 10);
    g.write(more.data(), more.size());
  };
  writer.SetPackLevel(level);
  EXPECT_EQ(zip({f, grow}), 2);
  EXPECT_EQ(archiveProblems(zipName()), "");
  const auto entries = readEntriesWithPython(zipName());
  EXPECT_EQ(extractWithUnzip(zipName(), "moving.txt").size(), entries.at(0).fileSize);
  EXPECT_EQ(extractWithUnzip(zipName(), "growing.txt"),
            readFile(grow).substr(0, entries.at(1).fileSize));
}

INSTANTIATE_TEST_SUITE_P(StoredAndDeflated, ChangingFile, ::testing::Values(0, 9));

TEST_F(Reliability, AnEncryptedFileThatChangesBetweenItsTwoReadsFailsCleanly) {
  const std::string f = make("moving.txt", incompressibleBytes(100000, 11));
  writer.EncryptionPassword = "pw";
  writer.OnFilePercentDone = [&](TZipReader&, int) {
    // Past what the data pass has read so far, so the change reaches the stored data.
    auto h = platform::File::open(f, platform::Access::ReadWrite, platform::Share::DenyNone);
    h.seek(90000, platform::SeekOrigin::Begin);
    h.write("changed", 7);
  };
  EXPECT_THROW(zip({f}), EFileChanged);
  EXPECT_FALSE(platform::fileExists(zipName()));
}

// ---- What a split archive's 32-bit and 16-bit fields cannot describe -------------------------

TEST_F(Reliability, AFileOf4GiBIsRefusedByASplitArchiveBeforeAnythingIsWritten) {
  const std::string huge = path("huge.bin");
  {
    auto file = platform::File::create(huge);
    ASSERT_TRUE(file.setSize(std::int64_t{1} << 32)); // sparse: no gigabytes are written
  }
  TMultiZipInfo info;
  info.MultiMode = TMultiMode::mmBlocks;
  info.FirstBlockSize = info.BlockSize = 1 << 20;
  writer.SetMultiZipInfo(info);
  try {
    zip({make("small.txt", "s"), huge});
    FAIL() << "a 4 GiB file was accepted";
  } catch (const EZipLimit& e) {
    EXPECT_NE(std::string(e.what()).find(huge), std::string::npos) << e.what();
  }
  EXPECT_FALSE(platform::fileExists(zipName()));
  EXPECT_FALSE(platform::fileExists(NumberedName(zipName(), 1)));
}

} // namespace
} // namespace larkspur::zip::test
