// Rebuilding the directory of a damaged archive from its local headers: truncated archives,
// self-extractors scanned from their stub's end, duplicate central entries, data descriptors,
// and the cancel during a long scan.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "support/file_contents.h"
#include "support/temp_dir.h"
#include "zip/format/local_header_scan.h"
#include "zip/format/memory_stream.h"
#include "zip/format/zip_reader.h"
#include "zip_reader_fixtures.h"

namespace larkspur::zip {
namespace {

namespace zb = test::zipbytes;

class ZipReaderRebuildTest : public ::testing::Test {
protected:
  void SetUp() override { reader_.IncompleteZipMode = TIncompleteZipMode::izAssumeBad; }
  void useArchive(const std::string& bytes, const std::string& name = "damaged.zip") {
    test::writeFile(dir_.file(name), bytes);
    reader_.SetZipName(dir_.file(name));
  }

  test::TempDir dir_;
  TZipReader reader_;
};

// Where a cut of the sample archive falls.
enum class Anchor { Start, Central, End };

// How much of the sample archive is left, and what comes back of it.
struct TruncationCase {
  const char* what;
  Anchor anchor;
  int delta; // bytes kept after the anchor
  int entries;
  int completed; // entries whose central header was still readable
};

class TruncatedArchiveTest : public ZipReaderRebuildTest,
                             public ::testing::WithParamInterface<TruncationCase> {};

TEST_P(TruncatedArchiveTest, RebuildsWhatTheLocalHeadersHold) {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  zb::Layout layout;
  const std::string whole = zb::archive(entries, "an archive comment", {}, &layout);
  const std::uint32_t anchors[] = {0, layout.centralOffset, layout.endOffset};
  const std::size_t keep = anchors[static_cast<int>(GetParam().anchor)] + GetParam().delta;
  useArchive(whole.substr(0, keep));
  reader_.OpenArchive();
  EXPECT_TRUE(reader_.Rebuilt());
  ASSERT_EQ(reader_.EntryCount(), GetParam().entries);
  int completed = 0;
  for (int i = 0; i < reader_.EntryCount(); ++i) {
    const TZipHeaderInfo& e = reader_.Entry(i);
    const zb::Entry& original = entries[static_cast<std::size_t>(i)];
    EXPECT_EQ(e.LocalHeaderOffset, original.offset);
    EXPECT_EQ(e.Crc32, zb::crc32(original.data));
    EXPECT_EQ(e.CompressedSize, static_cast<std::int32_t>(original.data.size()));
    if (e.CentralHeaderPosition != 0) {
      ++completed;
      EXPECT_EQ(e.VersionMadeBy, 20);
      EXPECT_EQ(e.CentralExtraLength, 0);
    }
  }
  EXPECT_EQ(completed, GetParam().completed);
  EXPECT_EQ(reader_.DiskCount(), 1);
  EXPECT_EQ(reader_.MultiMode(), TMultiMode::mmNone);
}

// The sample: local entries of 57, 343 and 47 bytes, central headers of 55, 73 and 60.
INSTANTIATE_TEST_SUITE_P(
    Cuts, TruncatedArchiveTest,
    ::testing::Values(TruncationCase{"EndRecordLost", Anchor::End, 0, 3, 3},
                      TruncationCase{"EndRecordHalved", Anchor::End, 11, 3, 3},
                      TruncationCase{"CentralDirectoryHalved", Anchor::Central, 95, 3, 1},
                      TruncationCase{"AtCentralDirectory", Anchor::Central, 0, 3, 0},
                      TruncationCase{"InsideLastEntrysData", Anchor::Central, -2, 3, 0},
                      TruncationCase{"InsideLastLocalHeader", Anchor::Start, 410, 2, 0},
                      TruncationCase{"InsideFirstLocalHeader", Anchor::Start, 20, 0, 0}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(ZipReaderRebuildTest, NothingToRebuildIsABadZipFile) {
  useArchive(std::string(5000, 'x'));
  try {
    reader_.OpenArchive();
    FAIL();
  } catch (const EBadZipFile& e) {
    EXPECT_STREQ(e.what(), "Not a valid zip file!");
  }
  EXPECT_TRUE(reader_.ZipName().empty());
}

TEST_F(ZipReaderRebuildTest, SelfExtractorIsScannedFromItsStubsEnd) {
  std::vector<zb::Entry> early = zb::sampleEntries();
  zb::Layout stubLayout;
  std::string stub = zb::archive(early, {}, {}, &stubLayout);
  stub.resize(stubLayout.centralOffset); // local headers in the stub must not be found
  stub.resize(14000, '\0');
  std::vector<zb::Entry> entries = zb::sampleEntries();
  std::string bytes = zb::archive(entries, {}, stub);
  bytes.resize(bytes.size() - 22); // no end record
  useArchive(bytes, "setup.EXE");
  reader_.OpenArchive();
  ASSERT_EQ(reader_.EntryCount(), 3);
  EXPECT_EQ(reader_.Entry(0).LocalHeaderOffset, 14000u);
}

TEST_F(ZipReaderRebuildTest, SelfExtractorWithHeadersOnlyInItsStubIsBad) {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  std::string bytes = zb::archive(entries);
  bytes.resize(bytes.size() - 22);
  bytes.resize(13999, '\0');
  useArchive(bytes, "small.exe");
  EXPECT_THROW(reader_.OpenArchive(), EBadZipFile);
}

TEST_F(ZipReaderRebuildTest, DuplicateCentralEntriesAreRebuilt) {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  zb::Layout layout;
  std::string bytes = zb::archive(entries, {}, {}, &layout);
  // The third central header claims the second entry's local header too.
  zb::Entry copy = entries[2];
  copy.offset = entries[1].offset;
  const std::string third = zb::centralHeader(entries[2]);
  bytes.replace(layout.endOffset - third.size(), third.size(), zb::centralHeader(copy));
  useArchive(bytes, "dup.zip");
  reader_.IncompleteZipMode = TIncompleteZipMode::izAssumeMulti; // no effect: the end is there
  reader_.OpenArchive();
  EXPECT_TRUE(reader_.Rebuilt());
  ASSERT_EQ(reader_.EntryCount(), 3);
  EXPECT_EQ(reader_.Entry(2).FileName(), "gamma.bin");
}

TEST_F(ZipReaderRebuildTest, UnreadableCentralHeaderIsRebuilt) {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  zb::Layout layout;
  std::string bytes = zb::archive(entries, {}, {}, &layout);
  bytes[layout.centralOffset + 46 + 9 + 2] = 'X'; // the second central signature
  useArchive(bytes);
  reader_.IncompleteZipMode = TIncompleteZipMode::izAssumeMulti;
  reader_.OpenArchive();
  EXPECT_TRUE(reader_.Rebuilt());
  ASSERT_EQ(reader_.EntryCount(), 3);
  // The first central header is read again after the rebuild and completes its entry.
  EXPECT_NE(reader_.Entry(0).CentralHeaderPosition, 0u);
  EXPECT_EQ(reader_.Entry(1).CentralHeaderPosition, 0u);
}

TEST_F(ZipReaderRebuildTest, DataDescriptorsAreSteppedOver) {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  std::string bytes;
  for (zb::Entry& e : entries) {
    e.flags = 0x0008;
    e.offset = static_cast<std::uint32_t>(bytes.size());
    bytes += zb::localHeader(e) + e.data;
    std::string descriptor;
    zb::put32(descriptor, 0x08074B50);
    zb::put32(descriptor, zb::crc32(e.data));
    zb::put32(descriptor, static_cast<std::uint32_t>(e.data.size()));
    zb::put32(descriptor, static_cast<std::uint32_t>(e.data.size()));
    bytes += descriptor;
  }
  useArchive(bytes);
  reader_.OpenArchive();
  ASSERT_EQ(reader_.EntryCount(), 3);
  EXPECT_EQ(reader_.Entry(2).LocalHeaderOffset, entries[2].offset);
}

TEST_F(ZipReaderRebuildTest, RebuiltEntryKeepsItsLocalExtraLength) {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  entries[0].localExtra = std::string(10, 'e');
  std::string bytes = zb::archive(entries);
  bytes.resize(bytes.size() - 10);
  useArchive(bytes);
  reader_.OpenArchive();
  ASSERT_EQ(reader_.EntryCount(), 3);
  EXPECT_NE(reader_.Entry(0).CentralHeaderPosition, 0u);
  EXPECT_EQ(reader_.Entry(0).LocalExtraLength, 10);
}

TEST_F(ZipReaderRebuildTest, RebuiltArchiveIsRebuiltAgainWhenItChanges) {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  std::string bytes = zb::archive(entries);
  bytes.resize(bytes.size() - 5);
  useArchive(bytes);
  reader_.OpenArchive();
  ASSERT_EQ(reader_.EntryCount(), 3);
  reader_.CloseArchive();
  ASSERT_TRUE(platform::setFileDosTime(reader_.ZipName(), zb::kSampleDosTime));
  reader_.OpenArchive();
  EXPECT_EQ(reader_.EntryCount(), 3);
}

TEST_F(ZipReaderRebuildTest, CancelDuringTheScanStopsIt) {
  useArchive(std::string(100000, 'x'));
  reader_.CancelRequested = true;
  try {
    reader_.OpenArchive();
    FAIL();
  } catch (const EUserCanceled& e) {
    EXPECT_STREQ(e.what(), "User Aborted Operation");
  }
  EXPECT_FALSE(reader_.CancelRequested);
  // Without message processing nobody is asked: the scan runs to the end.
  reader_.CancelRequested = true;
  reader_.DoProcessMessages = false;
  reader_.SetZipName(dir_.file("damaged.zip"));
  EXPECT_THROW(reader_.OpenArchive(), EBadZipFile);
}

// ---- The scan itself ----------------------------------------------------------------------------

struct ScanCase {
  std::string bytes;
  int found; // position of the accepted signature, -1 for none
};

class LocalHeaderScanTest : public ::testing::TestWithParam<ScanCase> {};

TEST_P(LocalHeaderScanTest, FindsTheFirstPlausibleSignature) {
  TMemoryStream stream(GetParam().bytes);
  const bool found = ScanForLocalHeader(stream, nullptr);
  EXPECT_EQ(found, GetParam().found >= 0);
  if (found) {
    EXPECT_EQ(stream.Position(), GetParam().found);
  }
}

const std::string kSig("PK\x03\x04", 4);

INSTANTIATE_TEST_SUITE_P(
    Bytes, LocalHeaderScanTest,
    ::testing::Values(ScanCase{kSig + std::string("\x14\x00", 2), 0},
                      ScanCase{"abc" + kSig + std::string("\x0A\x09", 2), 3},
                      // A "P" that breaks a match starts the next one.
                      ScanCase{"PKP" + kSig + std::string("\x14\x00", 2), 3},
                      ScanCase{"PK\x03P" + kSig + std::string("\x14\x00", 2), 4},
                      // Version 10.0 or more is no header; the scan goes on after it.
                      ScanCase{
                          kSig + std::string("\x00\x0A", 2) + kSig + std::string("\x00\x09", 2), 6},
                      ScanCase{kSig + "\x14", -1}, ScanCase{"PK\x03", -1}, ScanCase{"", -1}));

TEST(LocalHeaderScanPumpTest, PumpRunsEvery10240QuietBytes) {
  TMemoryStream stream(std::string(3 * 10240, 'x') + std::string(10240, 'P') + "xx");
  int pumps = 0;
  EXPECT_FALSE(ScanForLocalHeader(stream, [&] { ++pumps; }));
  EXPECT_EQ(pumps, 3);
}

} // namespace
} // namespace larkspur::zip
