// Archives split into numbered block files: block sizes kept, records never split, the set read
// back by our reader (directly and through its configuration file) and by an independent join,
// the single-block case identical to a plain archive, and that a failure leaves nothing behind.
#include <gtest/gtest.h>

#include <algorithm>

#include "multi_disk_fixture.h"
#include "writer_fixture.h"
#include "zip/format/zfc_config.h"
#include "zip/writer/block_output.h"
#include "zip/writer/writer_errors.h"

namespace larkspur::zip::test {
namespace {

using larkspur::test::incompressibleBytes;

class BlockOutputTest : public WriterTest {
protected:
  // The smallest blocks are sized for records without the extended timestamp field.
  BlockOutputTest() { writer.SetStoreUtcTime(false); }

  // A mix that compresses, one that does not, an empty file and one in a subfolder.
  std::vector<std::string> makeSources() {
    std::string text;
    for (int i = 0; i < 400; ++i)
      text += "line " + std::to_string(i * 7919 % 1000) + " of a text that deflates well\n";
    return {make("notes.txt", text), make("noise.bin", incompressibleBytes(3000, 7)),
            make("empty.dat", ""), make("sub/small.txt", "a few bytes")};
  }

  void useBlocks(std::int32_t first, std::int32_t rest) {
    TMultiZipInfo info;
    info.MultiMode = TMultiMode::mmBlocks;
    info.FirstBlockSize = first;
    info.BlockSize = rest;
    writer.SetMultiZipInfo(info);
  }

  std::string block(int number) const { return NumberedName(zipName(), number); }

  // The block files that exist, in order.
  std::vector<std::string> blocks() const {
    std::vector<std::string> found;
    for (int n = 1; platform::fileExists(block(n)); ++n)
      found.push_back(block(n));
    return found;
  }

  // Every source's bytes came back from the set.
  void expectExtracted(const std::string& outDir) {
    for (const char* name : {"notes.txt", "noise.bin", "empty.dat", "small.txt"}) {
      EXPECT_EQ(readFile(outDir + kSep + name),
                readFile(name == std::string("small.txt") ? path("sub/small.txt") : path(name)))
          << name;
    }
  }
};

struct Sizes {
  std::int32_t first;
  std::int32_t rest;
};

class BlockSizes : public BlockOutputTest, public ::testing::WithParamInterface<Sizes> {};

TEST_P(BlockSizes, NoBlockOutgrowsItsSizeAndTheSetReadsBackWhole) {
  const Sizes sizes = GetParam();
  useBlocks(sizes.first, sizes.rest);
  const auto sources = makeSources();
  EXPECT_EQ(zip(sources), 4);

  const std::vector<std::string> files = blocks();
  ASSERT_GT(files.size(), 1u);
  for (std::size_t i = 0; i < files.size(); ++i) {
    const auto size = static_cast<std::int64_t>(readFile(files[i]).size());
    EXPECT_LE(size, i == 0 ? sizes.first : sizes.rest) << files[i];
  }
  EXPECT_FALSE(platform::fileExists(zipName()));
  EXPECT_EQ(writer.ZipName(), files.back());
  EXPECT_EQ(writer.DiskCount(), static_cast<int>(files.size()));
  EXPECT_TRUE(tempFiles().empty());

  // An independent join finds every entry through its disk and offset.
  const JoinedSet joined = joinAndExtract(files, dir.file("joined"));
  EXPECT_EQ(joined.entries, 4);
  EXPECT_EQ(joined.thisDisk, static_cast<int>(files.size()) - 1);
  EXPECT_EQ(joined.centralSize, joined.centralBytes);
  EXPECT_EQ(joined.entriesOnThisDisk, joined.headersOnLastDisk);
  expectExtracted(dir.file("joined"));

  // Our reader, from the last block, switches to the disk where the directory starts.
  TZipReader reader;
  reader.SetZipName(files.back());
  reader.OpenArchive();
  ASSERT_EQ(reader.EntryCount(), 4);
  EXPECT_EQ(reader.MultiMode(), TMultiMode::mmBlocks);
  EXPECT_EQ(reader.Entry(3).FileName(), "small.txt");
  EXPECT_EQ(reader.Entry(1).UncompressedSize, 3000);
}

// From blocks that each hold little more than one record to blocks that hold several entries.
INSTANTIATE_TEST_SUITE_P(Several, BlockSizes,
                         ::testing::Values(Sizes{60, 60}, Sizes{100, 64}, Sizes{1000, 333},
                                           Sizes{2500, 1200}, Sizes{64, 4096}));

TEST_F(BlockOutputTest, AFirstBlockLargerThanTheArchiveIsAPlainArchiveByteForByte) {
  const auto sources = makeSources();
  writer.SetZipName(dir.file("plain.zip"));
  writer.FilesList = sources;
  writer.Zip();

  useBlocks(1 << 20, 100);
  EXPECT_EQ(zip(sources), 4);
  EXPECT_EQ(readFile(zipName()), readFile(dir.file("plain.zip")));
  EXPECT_TRUE(blocks().empty());
  EXPECT_EQ(writer.ZipName(), zipName());
  EXPECT_EQ(archiveProblems(zipName()), "");
}

// Sizes that cannot hold a local header, a central header or the end record on an empty block
// end the run with a clear error: no endless disk changes, no set that looks complete.
class TooSmall : public BlockOutputTest, public ::testing::WithParamInterface<Sizes> {};

TEST_P(TooSmall, BlocksTooSmallForARecordStopTheRunAndLeaveNoCompleteSet) {
  useBlocks(GetParam().first, GetParam().rest);
  make("a.txt", incompressibleBytes(500, 3));
  EXPECT_THROW(zip({path("a.txt")}), EWriterMode);
  EXPECT_FALSE(platform::fileExists(zipName()));
  for (const std::string& file : blocks())
    EXPECT_EQ(readFile(file).find("PK\x05\x06"), std::string::npos) << file;
  EXPECT_TRUE(tempFiles().empty());
}

INSTANTIATE_TEST_SUITE_P(Records, TooSmall,
                         ::testing::Values(Sizes{10, 10},  // no local header fits
                                           Sizes{200, 30}, // data fits, the central header not
                                           Sizes{1, 1}, Sizes{0, 100}, Sizes{100, -5}));

TEST_F(BlockOutputTest, AFailureDeletesEveryBlockThatRunWrote) {
  useBlocks(1500, 1500);
  const auto sources = makeSources();
  writer.OnStartZip = [this](TZipWriter&, const std::string& name, TZipHeaderInfo&, bool&) {
    if (name.find("empty.dat") != std::string::npos) {
      // notes.txt and noise.bin filled blocks already: they must not stay to fill the disk.
      EXPECT_GE(blocks().size(), 2u);
      throw Error("stop");
    }
  };
  EXPECT_THROW(zip(sources), Error);
  EXPECT_EQ(blocks(), std::vector<std::string>{});
  EXPECT_FALSE(platform::fileExists(zipName()));
  EXPECT_TRUE(tempFiles().empty());
  EXPECT_TRUE(writer.FilesList.empty());
  // Nothing of the failed run is in the way of the next.
  writer.OnStartZip = nullptr;
  zip(sources);
  EXPECT_GE(blocks().size(), 2u);
}

TEST_F(BlockOutputTest, AnExistingFirstBlockIsNeverWrittenOver) {
  useBlocks(100, 100);
  writeFile(block(1), "an earlier set");
  EXPECT_THROW(zip(makeSources()), EWriterMode);
  EXPECT_EQ(readFile(block(1)), "an earlier set");
  EXPECT_FALSE(platform::fileExists(block(2)));
}

TEST_F(BlockOutputTest, TheConfigurationFileLetsTheDirectoryBeReadFromTheFirstBlock) {
  useBlocks(700, 700);
  TMultiZipInfo info = writer.MultiZipInfo();
  info.SaveZipInfoOnFirstDisk = true;
  info.SaveOnFirstDisk = 100;
  writer.SetMultiZipInfo(info);
  const auto sources = makeSources();
  zip(sources);
  // Four files without paths: 4 * 58, the configured 100, the end record and the margin.
  EXPECT_EQ(writer.MultiZipInfo().SaveOnFirstDisk, 4 * 58 + 100 + 22 + 2048);
  ASSERT_TRUE(platform::fileExists(ConfigFileName(zipName())));

  {
    TZipReader reader;           // closes the first block when it goes
    reader.SetZipName(block(1)); // no end record there: the reader turns to the ".zfc"
    reader.OpenArchive();
    ASSERT_EQ(reader.EntryCount(), 4);
    EXPECT_EQ(reader.Entry(0).FileName(), "notes.txt");
    EXPECT_EQ(reader.Entry(3).DiskNumberStart, writer.Entry(3).DiskNumberStart);
  }

  // The next run reserves from the configured value again, not from the grown one.
  platform::renameFile(dir.file("out.zfc"), dir.file("first.zfc"));
  for (const std::string& file : blocks())
    platform::deleteFile(file);
  zip({sources[0]});
  EXPECT_EQ(writer.MultiZipInfo().SaveOnFirstDisk, 58 + 100 + 22 + 2048);
}

TEST_F(BlockOutputTest, ProgressIsHalvedWhileReadingAndReachesAHundredAfterTheCopy) {
  useBlocks(400, 400);
  const auto sources = makeSources();
  std::vector<int> file, total;
  std::int64_t announced = 0;
  writer.OnFilePercentDone = [&](TZipReader&, int p) { file.push_back(p); };
  writer.OnTotalPercentDone = [&](TZipReader&, int p) { total.push_back(p); };
  writer.OnStartZipInfo = [&](TZipWriter&, std::int32_t, std::int64_t bytes, TEndCentral&, bool&) {
    announced = bytes;
  };
  zip({sources[0]});
  EXPECT_EQ(announced, static_cast<std::int64_t>(readFile(sources[0]).size()));
  ASSERT_FALSE(file.empty());
  EXPECT_TRUE(std::is_sorted(file.begin(), file.end()));
  EXPECT_EQ(file.back(), 100);
  EXPECT_LE(*std::find_if(file.begin(), file.end(), [](int p) { return p > 0; }), 50);
  ASSERT_FALSE(total.empty());
  EXPECT_TRUE(std::is_sorted(total.begin(), total.end()));
  EXPECT_EQ(total.back(), 100);
}

TEST_F(BlockOutputTest, ASecondRunOnTheFinishedSetIsRefusedAndTheSetStaysWhole) {
  useBlocks(500, 500);
  const auto sources = makeSources();
  zip(sources);
  const std::string last = writer.ZipName();
  // ZipName now names the last block: a second run would have to rewrite the set.
  writer.FilesList = {sources[0]};
  EXPECT_THROW(writer.Zip(), EWriterMode);
  EXPECT_EQ(blocks().back(), last);
  const JoinedSet joined = joinAndExtract(blocks(), dir.file("joined"));
  EXPECT_EQ(joined.entries, 4);
}

TEST_F(BlockOutputTest, AnUpdateOfTheSetAsOneArchiveIsRefusedAndTheSetStaysWhole) {
  useBlocks(500, 500);
  const auto sources = makeSources();
  zip(sources);
  const std::vector<std::string> set = blocks();
  std::vector<std::string> before;
  for (const std::string& b : set)
    before.push_back(readFile(b));
  writer.SetMultiZipInfo(TMultiZipInfo{});
  writer.SetZipName(set.back());
  writer.FilesList = {make("late.txt", "added later")};
  EXPECT_THROW(writer.Zip(), EWriterMode);
  for (std::size_t i = 0; i < set.size(); ++i)
    EXPECT_EQ(readFile(set[i]), before[i]) << set[i];
  EXPECT_TRUE(tempFiles().empty());
}

} // namespace
} // namespace larkspur::zip::test
