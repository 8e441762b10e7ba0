// Spanning onto a real removable drive A: through the system's own drive layer. Runs only when
// tests/wine/span_floppy.sh has mapped a small RAM disk as a floppy drive A: and named a shelf
// folder in LARKSPUR_FLOPPY_SHELF; the disk handler swaps "floppies" by moving the drive's files.
#include <gtest/gtest.h>

#include <cstdlib>

#include "multi_disk_fixture.h"
#include "support/thrown_message.h"
#include "writer_fixture.h"
#include "zip/writer/span_output.h"
#include "zip/writer/writer_errors.h"

namespace larkspur::zip::test {
namespace {

#ifdef _WIN32

using larkspur::test::incompressibleBytes;

constexpr char kDrive[] = "A:\\";
constexpr char kSlot[] = "A:\\set.zip";
// What a reused disk is labelled with before it goes in. Wine keeps a label as a file on the
// drive, which a full disk has no room for; replacing an old label frees that room first.
constexpr char kOldLabel[] = "OLD DISK";

std::vector<std::string> filesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (platform::DirectoryFind f(folder + "\\*.*"); f.ok(); f.advance()) {
    if (!(f.current().attributes & platform::faDirectory))
      names.push_back(f.current().name);
  }
  return names;
}

// Moves every file of `from` into `to` (drives differ, so by copy and delete).
void moveFiles(const std::string& from, const std::string& to) {
  const std::vector<std::string> names = filesIn(from);
  if (!names.empty())
    platform::createDirectory(to);
  for (const std::string& name : names) {
    ASSERT_TRUE(platform::copyFile(from + "\\" + name, to + "\\" + name)) << name;
    ASSERT_TRUE(platform::deleteFile(from + "\\" + name)) << name;
  }
}

class SpanFloppyTest : public WriterTest {
protected:
  void SetUp() override {
    const char* shelf = std::getenv("LARKSPUR_FLOPPY_SHELF");
    if (shelf == nullptr || *shelf == '\0')
      GTEST_SKIP() << "no floppy drive mapped (tests/wine/span_floppy.sh maps one)";
    ASSERT_EQ(platform::driveType(kDrive), platform::DriveType::Removable);
    ASSERT_TRUE(filesIn("A:").empty()) << "the drive is not empty";
    shelf_ =
        std::string(shelf) + "\\" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    platform::createDirectory(shelf_);
    capacity_ = platform::diskFreeSpace(kDrive);
    ASSERT_GT(capacity_, 0);

    writer.SetSpanMedia(MakeSystemSpanMedia());
    TMultiZipInfo info;
    info.MultiMode = TMultiMode::mmSpan;
    writer.SetMultiZipInfo(info);
    insertFreshDisk();
    writer.OnGetNextDisk = [this](TZipReader&, int next, std::string& name) {
      asked_.push_back(next);
      moveFiles("A:", disk(inDrive_));
      insertFreshDisk();
      inDrive_ = next;
      name = kSlot;
    };
  }

  void TearDown() override {
    // Whatever a failed run left in the drive goes to the shelf: the next test wants it empty.
    if (!shelf_.empty())
      moveFiles("A:", shelf_ + "\\left");
  }

  void insertFreshDisk() { ASSERT_TRUE(platform::setVolumeLabel(kDrive, kOldLabel)); }

  std::string disk(int n) const { return shelf_ + "\\disk" + std::to_string(n); }

  std::vector<std::string> sources() {
    // Three disks' worth on the 300 KB drive: each exchange of a full disk is tried twice.
    return {make("a.bin", incompressibleBytes(300000, 1)),
            make("b.bin", incompressibleBytes(200000, 2)),
            make("c.bin", incompressibleBytes(150000, 3))};
  }

  std::int32_t span() {
    writer.SetZipName(kSlot);
    writer.FilesList = sources();
    return writer.Zip();
  }

  std::string shelf_;
  std::int64_t capacity_ = 0;
  int inDrive_ = 1;
  std::vector<int> asked_;
};

TEST_F(SpanFloppyTest, FullDisksAreSwappedAndTheSetReadsBack) {
  EXPECT_EQ(span(), 3);
  const int disks = inDrive_;
  ASSERT_GE(disks, 3);
  moveFiles("A:", disk(disks));

  std::vector<std::string> set;
  std::vector<int> expectAsked;
  for (int n = 1; n <= disks; ++n) {
    const std::string file = disk(n) + "\\set.zip";
    set.push_back(file);
    EXPECT_LE(static_cast<std::int64_t>(readFile(file).size()), capacity_) << file;
    if (n > 1)
      expectAsked.push_back(n);
  }
  EXPECT_EQ(asked_, expectAsked);

  const JoinedSet joined = joinAndExtract(set, dir.file("joined"));
  EXPECT_EQ(joined.entries, 3);
  EXPECT_EQ(joined.thisDisk, disks - 1);
  for (const char* name : {"a.bin", "b.bin", "c.bin"})
    EXPECT_EQ(readFile(dir.file("joined") + kSep + name), readFile(path(name))) << name;

  // Our reader, with the disk it asks for put back into the drive. Wine's mount manager reads a
  // drive's label once, when it starts, so the labels are checked by the script afterwards.
  moveFiles(disk(disks), "A:");
  int inDrive = disks;
  TZipReader reader;
  reader.SetCheckDiskLabels(false);
  reader.OnGetNextDisk = [&](TZipReader&, int n, std::string& name) {
    if (n != inDrive) {
      moveFiles("A:", disk(inDrive));
      moveFiles(disk(n), "A:");
      inDrive = n;
    }
    name = kSlot;
  };
  reader.SetZipName(kSlot);
  reader.OpenArchive();
  EXPECT_EQ(reader.MultiMode(), TMultiMode::mmSpan);
  ASSERT_EQ(reader.EntryCount(), 3);
  EXPECT_EQ(reader.Entry(2).FileName(), "c.bin");
  EXPECT_GT(reader.Entry(2).DiskNumberStart, 0);
  reader.CloseArchive();
  moveFiles("A:", disk(inDrive));
}

TEST_F(SpanFloppyTest, AnEmptyNameCancelsAndTheFinishedDiskStays) {
  writer.OnGetNextDisk = [this](TZipReader&, int next, std::string& name) {
    asked_.push_back(next);
    name.clear();
  };
  EXPECT_EQ(larkspur::test::thrownMessage<Error>([&] { span(); }), writer_text::kUserCanceledZip);
  EXPECT_EQ(asked_, std::vector<int>{2});
  // The full first disk is still in the drive, without an end record.
  const std::string first = readFile(kSlot);
  EXPECT_GT(static_cast<std::int64_t>(first.size()), capacity_ / 2);
  EXPECT_EQ(first.rfind("PK\x05\x06"), std::string::npos);
  EXPECT_TRUE(tempFiles().empty());
  moveFiles("A:", disk(1));
}

#endif

} // namespace
} // namespace larkspur::zip::test
