// The single-file output as the writer's steps use it: an entry placed with its local header
// completed after the data (or final before it), a discard that leaves the old archive and no
// temporary file, and a commit that never replaces an archive another run created meanwhile.
#include "zip/writer/single_file_output.h"

#include <gtest/gtest.h>

#include "deflate/crc32.h"
#include "writer_fixture.h"
#include "zip/format/record_bytes.h"
#include "zip/writer/writer_errors.h"

namespace larkspur::zip::test {
namespace {

constexpr char kData[] = "hello, output";
constexpr std::uint32_t kDataSize = sizeof kData - 1;

class SingleFileOutputTest : public WriterTest {
protected:
  std::unique_ptr<SingleFileOutput> newOutput(bool updating) {
    std::optional<ArchiveLock> lock;
    if (updating)
      lock.emplace(zipName(), [](const std::string&) {});
    return std::make_unique<SingleFileOutput>(zipName(), std::move(lock), limits, nullptr);
  }

  // One stored entry whose CRC and sizes are known before its data (`headerFinal`) or set by
  // the data's writer.
  void placeEntry(ZipOutput& output, bool headerFinal) {
    header.SetFileName("a.txt");
    header.CompressionMethod = 0;
    const auto fill = [this] {
      header.Crc32 = ~deflate::update_crc(deflate::kCrcPreset,
                                          reinterpret_cast<const std::uint8_t*>(kData), kDataSize);
      header.CompressedSize = static_cast<std::int32_t>(kDataSize);
      header.UncompressedSize = static_cast<std::int32_t>(kDataSize);
    };
    if (headerFinal)
      fill();
    EntryData data;
    data.headerFinal = headerFinal;
    data.write = [&, fill](TStream& out) {
      out.WriteBuffer(kData, kDataSize);
      if (!headerFinal)
        fill();
    };
    output.PlaceEntry(header, data);
  }

  ZipLimits limits;
  TZipHeaderInfo header;
};

TEST_F(SingleFileOutputTest, LocalHeaderCarriesTheDataFieldsWhetherFinalBeforeOrAfter) {
  for (const bool headerFinal : {true, false}) {
    SCOPED_TRACE(headerFinal);
    platform::deleteFile(zipName());
    auto output = newOutput(false);
    placeEntry(*output, headerFinal);
    TSortedZip directory(false, TDuplicates::dupError); // the header stays the test's
    directory.SortMode = TZipSortMode::ByNone;
    directory.Add(&header);
    TEndCentral end;
    end.EntriesOnThisDisk = end.TotalEntries = 1;
    output->WriteDirectory(directory, end);
    output->Commit();

    const std::string bytes = readFile(zipName());
    // The local header's CRC-32 and both sizes, at offset 14 (little-endian).
    record::FieldReader local(reinterpret_cast<const unsigned char*>(bytes.data()) + 14);
    EXPECT_EQ(local.u32(), header.Crc32);
    EXPECT_EQ(local.u32(), kDataSize);
    EXPECT_EQ(local.u32(), kDataSize);
    EXPECT_EQ(archiveProblems(zipName()), "");
    EXPECT_EQ(names(), std::vector<std::string>{"a.txt"});
    EXPECT_TRUE(tempFiles().empty());
  }
}

TEST_F(SingleFileOutputTest, DiscardLeavesTheOldArchiveAndNoTemporaryFile) {
  writeFile(zipName(), "old archive");
  {
    auto output = newOutput(true);
    ASSERT_TRUE(output->Updates());
    placeEntry(*output, false);
    output->Discard();
    EXPECT_TRUE(tempFiles().empty());
  }
  EXPECT_EQ(readFile(zipName()), "old archive");
}

TEST_F(SingleFileOutputTest, ANewArchiveNeverReplacesOneCreatedMeanwhile) {
  auto output = newOutput(false);
  placeEntry(*output, true);
  writeFile(zipName(), "another run's archive");
  EXPECT_THROW(output->Commit(), EArchiveCreatedMeanwhile);
  output.reset();
  EXPECT_EQ(readFile(zipName()), "another run's archive");
  EXPECT_TRUE(tempFiles().empty());
}

} // namespace
} // namespace larkspur::zip::test
