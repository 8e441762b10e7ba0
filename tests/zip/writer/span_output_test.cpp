// Archives spanned over removable disks, on a drive played by a folder: a test double stands in
// for the platform's drive (its free space and volume labels) and the disk handler swaps the
// file in the drive folder for the next "disk" the way a person swaps floppies.
#include <gtest/gtest.h>

#include "multi_disk_fixture.h"
#include "support/thrown_message.h"
#include "writer_fixture.h"
#include "zip/format/zfc_config.h"
#include "zip/writer/span_output.h"
#include "zip/writer/writer_errors.h"

namespace larkspur::zip::test {
namespace {

using larkspur::test::incompressibleBytes;

// A drive of fixed capacity: its free space is what the files in its folder leave.
class FakeDrive final : public SpanMedia {
public:
  FakeDrive(std::string folder, std::int64_t capacity)
      : folder_(std::move(folder)), capacity_(capacity) {}

  void CheckAvailable(const std::string&) override {}
  std::int64_t FreeSpace(const std::string&) override {
    std::int64_t used = 0;
    for (platform::DirectoryFind f(folder_ + kSep + "*.*"); f.ok(); f.advance()) {
      if (!(f.current().attributes & platform::faDirectory))
        used += static_cast<std::int64_t>(f.current().size);
    }
    return capacity_ - used;
  }
  void WriteLabel(const std::string&, const std::string& label) override {
    labels.push_back(label);
  }

  std::vector<std::string> labels;

private:
  std::string folder_;
  std::int64_t capacity_;
};

class SpanOutputTest : public WriterTest {
protected:
  static constexpr std::int64_t kCapacity = 1400;

  SpanOutputTest() {
    platform::createDirectory(drive());
    platform::createDirectory(shelf());
    media = std::make_shared<FakeDrive>(drive(), kCapacity);
    writer.SetSpanMedia(media);
    TMultiZipInfo info;
    info.MultiMode = TMultiMode::mmSpan;
    // Labels of the folder's "drive" cannot be read back here.
    info.CheckDiskLabels = false;
    writer.SetMultiZipInfo(info);
    // The disk in the drive goes to the shelf; the next comes in empty, or disk 1 comes back.
    writer.OnGetNextDisk = [this](TZipReader&, int next, std::string& name) {
      asked.push_back(next);
      platform::renameFile(slot(), disk(inDrive));
      if (next == 1)
        platform::renameFile(disk(1), slot());
      else if (!staleFile.empty())
        writeFile(slot(), staleFile);
      inDrive = next;
      name = slot();
    };
    writer.OnPrepareNextDisk = [this](TZipWriter&, std::int32_t n) { prepared.push_back(n); };
  }

  std::string drive() const { return dir.file("drive"); }
  std::string shelf() const { return dir.file("shelf"); }
  std::string slot() const { return drive() + kSep + "set.zip"; }
  std::string disk(int n) const { return shelf() + kSep + "disk" + std::to_string(n) + ".zip"; }

  std::vector<std::string> sources() {
    return {make("a.bin", incompressibleBytes(1500, 1)), make("b.txt", std::string(900, 'b')),
            make("c.bin", incompressibleBytes(1200, 2))};
  }

  std::int32_t span(const std::vector<std::string>& files) {
    writer.SetZipName(slot());
    writer.FilesList = files;
    return writer.Zip();
  }

  std::shared_ptr<FakeDrive> media;
  int inDrive = 1;
  std::string staleFile; // what a fresh disk holds under the set's name
  std::vector<int> asked;
  std::vector<int> prepared;
};

TEST_F(SpanOutputTest, FullDisksAreLabelledAndSwappedAndTheSetReadsBack) {
  staleFile = "an old archive on a reused disk";
  const auto files = sources();
  EXPECT_EQ(span(files), 3);
  const int disks = inDrive;
  ASSERT_GE(disks, 3);

  std::vector<std::string> set;
  for (int n = 1; n < disks; ++n)
    set.push_back(disk(n));
  set.push_back(slot());
  for (const std::string& file : set)
    EXPECT_LE(static_cast<std::int64_t>(readFile(file).size()), kCapacity) << file;

  std::vector<std::string> labels;
  std::vector<int> expectAsked, expectPrepared;
  for (int n = 1; n <= disks; ++n) {
    labels.push_back(DiskLabel(n));
    if (n > 1) {
      expectAsked.push_back(n);
      expectPrepared.push_back(n);
    }
  }
  EXPECT_EQ(media->labels, labels);
  EXPECT_EQ(asked, expectAsked);
  EXPECT_EQ(prepared, expectPrepared);

  const JoinedSet joined = joinAndExtract(set, dir.file("joined"));
  EXPECT_EQ(joined.entries, 3);
  EXPECT_EQ(joined.thisDisk, disks - 1);
  for (const char* name : {"a.bin", "b.txt", "c.bin"})
    EXPECT_EQ(readFile(dir.file("joined") + kSep + name), readFile(path(name))) << name;

  TZipReader reader;
  reader.OnGetNextDisk = [&](TZipReader&, int n, std::string& name) {
    name = n == disks ? slot() : disk(n);
  };
  reader.SetZipName(slot());
  reader.OpenArchive();
  ASSERT_EQ(reader.EntryCount(), 3);
  EXPECT_EQ(reader.Entry(2).FileName(), "c.bin");
  EXPECT_GT(reader.Entry(2).DiskNumberStart, 0);
}

TEST_F(SpanOutputTest, AnEmptyNameCancelsAndTheFinishedDisksStay) {
  const auto files = sources();
  auto swap = writer.OnGetNextDisk;
  writer.OnGetNextDisk = [&](TZipReader& sender, int next, std::string& name) {
    if (next == 3) {
      name.clear();
      return;
    }
    swap(sender, next, name);
  };
  EXPECT_EQ(larkspur::test::thrownMessage<Error>([&] { span(files); }),
            writer_text::kUserCanceledZip);
  // Disk 1 is on the shelf, disk 2 still in the drive, finished and labelled.
  EXPECT_TRUE(platform::fileExists(disk(1)));
  EXPECT_TRUE(platform::fileExists(slot()));
  EXPECT_EQ(readFile(slot()).find("PK\x05\x06"), std::string::npos);
  EXPECT_EQ(media->labels, (std::vector<std::string>{DiskLabel(1), DiskLabel(2)}));
  EXPECT_TRUE(tempFiles().empty());
}

TEST_F(SpanOutputTest, TheFirstDiskKeepsItsReserveAndGetsTheConfigurationFile) {
  TMultiZipInfo info = writer.MultiZipInfo();
  info.SaveZipInfoOnFirstDisk = true;
  info.WriteDiskLabels = false;
  writer.SetMultiZipInfo(info);
  // A drive large enough for the reserve of three names and some data.
  media = std::make_shared<FakeDrive>(drive(), 3000);
  writer.SetSpanMedia(media);
  const auto files = sources();
  span(files);
  const std::int64_t reserve = writer.MultiZipInfo().SaveOnFirstDisk;
  EXPECT_EQ(reserve, 3 * 58 + 22 + 2048);
  EXPECT_TRUE(media->labels.empty());
  // Disk 1 was asked back and holds the configuration beside its part of the set.
  EXPECT_EQ(asked.back(), 1);
  EXPECT_LE(static_cast<std::int64_t>(readFile(slot()).size()), 3000 - reserve);
  ASSERT_TRUE(platform::fileExists(ConfigFileName(slot())));

  TZipReader reader;
  reader.SetZipName(slot());
  reader.OpenArchive();
  ASSERT_EQ(reader.EntryCount(), 3);
  EXPECT_EQ(reader.Entry(1).FileName(), "b.txt");
}

TEST_F(SpanOutputTest, SpanningWithoutADiskHandlerIsRefusedBeforeAnythingIsWritten) {
  writer.OnGetNextDisk = nullptr;
  EXPECT_THROW(span(sources()), EWriterMode);
  EXPECT_FALSE(platform::fileExists(slot()));
}

#ifdef _WIN32
// The system's drive: its real free space leaves a small set whole on the first disk, which is
// then a plain archive, and a fixed drive gets no label.
TEST_F(SpanOutputTest, OnTheSystemsOwnDriveASmallSetFitsItsFirstDisk) {
  writer.SetSpanMedia(MakeSystemSpanMedia());
  const auto files = sources();
  writer.SetZipName(dir.file("plain.zip"));
  writer.SetMultiMode(TMultiMode::mmNone);
  writer.FilesList = files;
  writer.Zip();
  writer.SetMultiMode(TMultiMode::mmSpan);
  EXPECT_EQ(span(files), 3);
  EXPECT_TRUE(asked.empty());
  EXPECT_EQ(readFile(slot()), readFile(dir.file("plain.zip")));
}
#else
TEST_F(SpanOutputTest, ThisSystemHasNoRemovableDrivesToSpan) {
  writer.SetSpanMedia(MakeSystemSpanMedia());
  EXPECT_EQ(larkspur::test::thrownMessage<Error>([&] { span(sources()); }),
            writer_text::kSpanUnavailable);
  EXPECT_FALSE(platform::fileExists(slot()));
}
#endif

struct Floppy {
  const char* zipName;
  const char* root;
};

class FloppyRoots : public ::testing::TestWithParam<Floppy> {};

TEST_P(FloppyRoots, OnlyNamesOnDrivesAAndBAreLabelled) {
  EXPECT_EQ(FloppyRoot(GetParam().zipName), GetParam().root);
}

INSTANTIATE_TEST_SUITE_P(Names, FloppyRoots,
                         ::testing::Values(Floppy{"A:\\set.zip", "A:\\"},
                                           Floppy{"b:set.zip", "B:\\"}, Floppy{"C:\\set.zip", ""},
                                           Floppy{"a.zip", ""},
                                           Floppy{"\\\\server\\share\\a.zip", ""}, Floppy{"", ""}));

TEST(DiskLabels, CarryTheDiskNumberInThreeDigits) {
  EXPECT_EQ(DiskLabel(1), "PKBACK# 001");
  EXPECT_EQ(DiskLabel(42), "PKBACK# 042");
  EXPECT_EQ(DiskLabel(1000), "PKBACK# 1000");
}

} // namespace
} // namespace larkspur::zip::test
