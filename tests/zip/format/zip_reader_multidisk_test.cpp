// Multi-disk reading: a set of numbered block files whose central directory starts on one disk
// and runs over onto the next, the disk handler's part in it, and the configuration file that
// holds the directory of a set whose last disk is not at hand.
#include <gtest/gtest.h>

#include "support/file_contents.h"
#include "support/temp_dir.h"
#include "zip/format/reader_texts.h"
#include "zip/format/zip_reader.h"
#include "zip_reader_fixtures.h"

namespace larkspur::zip {
namespace {

namespace zb = test::zipbytes;

// Three block files: entries 0 and 1 on the first, entry 2 on the second, the central
// directory from the second into the third (split inside entry 1's fixed header), the end
// record with the archive comment on the third.
class MultiDiskTest : public ::testing::Test {
protected:
  static constexpr std::size_t kSplitInHeader = 20;

  void SetUp() override {
    entries_ = zb::sampleEntries();
    entries_[2].comment = "gamma's comment";
    std::string disks[3];
    for (int i = 0; i < 3; ++i) {
      zb::Entry& e = entries_[static_cast<std::size_t>(i)];
      e.disk = i < 2 ? 0 : 1;
      e.offset = static_cast<std::uint32_t>(disks[e.disk].size());
      disks[e.disk] += zb::localHeader(e) + e.data;
    }
    const auto centralOffset = static_cast<std::uint32_t>(disks[1].size());
    std::string central;
    for (const zb::Entry& e : entries_)
      central += zb::centralHeader(e);
    const std::size_t split = zb::centralHeader(entries_[0]).size() + kSplitInHeader;
    disks[1] += central.substr(0, split);
    disks[2] += central.substr(split);
    zb::End end;
    end.thisDisk = 2;
    end.centralStartDisk = 1;
    end.entriesOnThisDisk = 2;
    end.totalEntries = 3;
    end.centralSize = static_cast<std::uint32_t>(central.size());
    end.centralOffset = centralOffset;
    end.comment = "the set's comment";
    disks[2] += zb::endRecord(end);
    for (int i = 0; i < 3; ++i) {
      test::writeFile(dir_.file("set.00" + std::to_string(i + 1)), disks[i]);
    }
    centralBytes_ = central;
    end_ = end;
  }

  test::TempDir dir_;
  std::vector<zb::Entry> entries_;
  std::string centralBytes_;
  zb::End end_;
};

TEST_F(MultiDiskTest, ReadsTheDirectoryAcrossDisks) {
  TZipReader reader;
  reader.SetZipName(dir_.file("set.003"));
  reader.OpenArchive();
  EXPECT_EQ(reader.MultiMode(), TMultiMode::mmBlocks);
  EXPECT_EQ(reader.DiskCount(), 3);
  EXPECT_EQ(reader.ActiveDisk(), 2);
  ASSERT_EQ(reader.EntryCount(), 3);
  EXPECT_EQ(reader.Entry(0).FileName(), "alpha.txt");
  EXPECT_EQ(reader.Entry(1).FileName(), "beta.txt");
  EXPECT_EQ(reader.Entry(2).DiskNumberStart, 1);
  // Comments are loaded while their disk is at hand.
  EXPECT_TRUE(reader.Entry(1).FileComment().has_value());
  EXPECT_EQ(reader.EntryComment(1), "beta's comment");
  EXPECT_EQ(reader.EntryComment(2), "gamma's comment");
  EXPECT_TRUE(reader.EndRecord().Comment().has_value());
  EXPECT_EQ(reader.ArchiveComment(), "the set's comment");
  EXPECT_EQ(reader.ZipName(), dir_.file("set.003"));
}

TEST_F(MultiDiskTest, HandlerIsAskedForEachDisk) {
  TZipReader reader;
  std::vector<int> asked;
  reader.OnGetNextDisk = [&](TZipReader& sender, int disk, std::string& name) {
    asked.push_back(disk);
    TZipReader::DefaultGetNextDisk(sender, disk, name);
  };
  reader.SetZipName(dir_.file("set.003"));
  reader.OpenArchive();
  EXPECT_EQ(asked, (std::vector<int>{2, 3}));
  EXPECT_EQ(reader.EntryCount(), 3);
}

TEST_F(MultiDiskTest, EmptyNameFromTheHandlerCancels) {
  TZipReader reader;
  reader.OnGetNextDisk = [](TZipReader&, int, std::string& name) { name.clear(); };
  reader.SetZipName(dir_.file("set.003"));
  try {
    reader.OpenArchive();
    FAIL();
  } catch (const EUserCanceled& e) {
    EXPECT_STREQ(e.what(), "User canceled loading new disk.");
  }
  EXPECT_EQ(reader.Entries(), nullptr);
}

TEST_F(MultiDiskTest, MissingMiddleDiskIsNamed) {
  ASSERT_TRUE(platform::deleteFile(dir_.file("set.002")));
  TZipReader reader;
  reader.SetZipName(dir_.file("set.003"));
  try {
    reader.OpenArchive();
    FAIL();
  } catch (const EIncompleteZip& e) {
    EXPECT_EQ(std::string(e.what()),
              "Disk 2 of the multi-disk set is missing: " + dir_.file("set.002"));
  }
  // Nothing half-read stays behind: the next open tries again.
  EXPECT_EQ(reader.Entries(), nullptr);
  EXPECT_EQ(reader.ArchiveTime(), TArchiveStamp{});
}

// Where only a person can put the disk in, a handler that never produces it is not asked
// forever.
TEST_F(MultiDiskTest, SpannedDiskPromptsEndAfterTheirLimit) {
  TZipReader reader;
  reader.SetZipName(dir_.file("set.003"));
  reader.SetMultiMode(TMultiMode::mmSpan);
  int prompts = 0;
  reader.OnGetNextDisk = [&](TZipReader&, int, std::string& name) {
    ++prompts;
    name = dir_.file("never-there.zip");
  };
  EXPECT_THROW(reader.SwitchToDisk(2), EUserCanceled);
  EXPECT_EQ(prompts, TZipReader::kMaxDiskPrompts);
}

TEST_F(MultiDiskTest, ConfigurationFileHoldsTheDirectory) {
  // The first disk under the archive's name, without an end record; the directory beside it.
  test::writeFile(dir_.file("span.zip"), test::readFile(dir_.file("set.001")));
  zb::End end = end_;
  end.centralOffset = 0;
  test::writeFile(dir_.file("span.zfc"), centralBytes_ + zb::endRecord(end));
  TZipReader reader;
  reader.SetZipName(dir_.file("span.zip"));
  reader.OpenArchive();
  ASSERT_EQ(reader.EntryCount(), 3);
  EXPECT_EQ(reader.DiskCount(), 3);
  EXPECT_EQ(reader.ActiveDisk(), 0);
  EXPECT_EQ(reader.ZipName(), dir_.file("span.zip"));
  EXPECT_EQ(reader.EntryComment(2), "gamma's comment");
  EXPECT_EQ(reader.ArchiveComment(), "the set's comment");
  EXPECT_FALSE(reader.EndRecord().Modified);
}

TEST_F(MultiDiskTest, EmptyConfigurationFileIsNoDirectory) {
  test::writeFile(dir_.file("span.zip"), test::readFile(dir_.file("set.001")));
  test::writeFile(dir_.file("span.zfc"), "");
  TZipReader reader;
  reader.SetZipName(dir_.file("span.zip"));
  EXPECT_THROW(reader.OpenArchive(), EIncompleteZip);
}

} // namespace
} // namespace larkspur::zip
