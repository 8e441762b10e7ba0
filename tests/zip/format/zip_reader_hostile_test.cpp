// Hostile and damaged files: every one ends in a directory or in one of the reader's
// exceptions, under every IncompleteZipMode, with no crash, hang or runaway allocation.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "support/file_contents.h"
#include "support/temp_dir.h"
#include "zip/format/zip_reader.h"
#include "zip_reader_fixtures.h"

namespace larkspur::zip {
namespace {

namespace zb = test::zipbytes;

enum class Outcome { Read, Rebuilt, BadZip, Incomplete };

struct HostileCase {
  const char* name;
  std::function<std::string()> make;
  Outcome outcome; // under the default mode, izAssumeMulti
  int entries;     // when read or rebuilt
};

void PrintTo(const HostileCase& c, std::ostream* os) {
  *os << c.name;
}

// `bytes` padded at the front to `size` bytes with a filler no scan mistakes for a header.
std::string padTo(const std::string& bytes, std::size_t size) {
  return std::string(size > bytes.size() ? size - bytes.size() : 0, 'x') + bytes;
}

std::string claims65535EntriesIn100Bytes() {
  zb::End end;
  end.totalEntries = end.entriesOnThisDisk = 65535;
  end.centralSize = 65535 * 46;
  return padTo(zb::endRecord(end), 100);
}

std::string claims65535EntriesAfterOneRealOne() {
  std::vector<zb::Entry> entries(1);
  entries[0].name = "only";
  std::string bytes = zb::archive(entries);
  bytes[bytes.size() - 12] = bytes[bytes.size() - 11] = '\xFF'; // total entries
  return bytes;
}

std::string centralNameRunsPastTheEnd() {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  zb::Layout layout;
  std::string bytes = zb::archive(entries, {}, {}, &layout);
  bytes[layout.centralOffset + 28] = bytes[layout.centralOffset + 29] = '\xFF';
  return bytes;
}

std::string localNameRunsPastTheEnd() {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  std::string bytes = zb::localHeader(entries[0]);
  bytes[26] = bytes[27] = '\xFF';
  return bytes + "short";
}

std::string centralOffsetPastTheEnd() {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  std::string bytes = zb::archive(entries);
  for (int k = 3; k <= 6; ++k)
    bytes[bytes.size() - k] = '\xF0'; // central offset
  return bytes;
}

std::string localOffsetsPastTheEnd() {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  std::string bytes;
  const auto central = static_cast<std::uint32_t>(bytes.size());
  for (zb::Entry& e : entries) {
    e.offset = 0xFFFFFF00u + static_cast<std::uint32_t>(e.data.size());
    bytes += zb::centralHeader(e);
  }
  zb::End end;
  end.totalEntries = end.entriesOnThisDisk = 3;
  end.centralOffset = central;
  end.centralSize = static_cast<std::uint32_t>(bytes.size());
  return bytes + zb::endRecord(end);
}

std::string commentHoldsGarbageEndRecord() {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  return zb::archive(entries, std::string("PK\x05\x06", 4) + std::string(30, '\xFF'));
}

std::string commentHoldsEndRecordPointingAstray() {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  zb::End fake;
  fake.totalEntries = fake.entriesOnThisDisk = 9;
  fake.centralOffset = 5;
  return zb::archive(entries, "fake " + zb::endRecord(fake));
}

std::string diskNumbersPointNowhere() {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  zb::Layout layout;
  std::string bytes = zb::archive(entries, {}, {}, &layout);
  bytes[layout.endOffset + 4] = 3; // this disk
  bytes[layout.endOffset + 6] = 1; // central directory starts on disk 1
  return bytes;
}

// The end record first, then a central directory that runs out in the middle of a header: the
// reader looks for the header's rest on the next disk, which is not there.
std::string lastDiskCentralDirectoryRunsOut() {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  zb::End end;
  end.thisDisk = end.centralStartDisk = 2;
  end.totalEntries = 5;
  end.centralOffset = 22;
  std::string bytes = zb::endRecord(end);
  for (zb::Entry& e : entries) {
    e.offset = static_cast<std::uint32_t>(e.data.size()); // distinct, like real entries
    bytes += zb::centralHeader(e);
  }
  return bytes + std::string("PK\x01\x02", 4) + "0123456789";
}

std::string megabytesOfGarbage() {
  std::mt19937 random(42);
  std::string bytes(6 << 20, '\0');
  for (char& c : bytes) {
    c = static_cast<char>(random() & 0xFF);
    if (c == 'P')
      c = 'Q'; // no signature by chance
  }
  // Signatures with versions no archive has, many of them.
  const std::string decoy = std::string("PK\x03\x04\x00\x63", 6);
  for (std::size_t at = 1000; at + decoy.size() < bytes.size(); at += 4099) {
    bytes.replace(at, decoy.size(), decoy);
  }
  return bytes;
}

std::string localSizesThatWouldGoBackwards() {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  std::string bytes = zb::localHeader(entries[0]) + entries[0].data;
  for (int k = 18; k < 22; ++k)
    bytes[k] = '\xE0'; // compressed size 0xE0E0E0E0: negative
  return bytes + zb::localHeader(entries[1]) + entries[1].data;
}

std::string manyTinyLocalHeaders() {
  zb::Entry e;
  std::string bytes;
  for (int i = 0; i < 70000; ++i) {
    e.name = std::to_string(i);
    bytes += zb::localHeader(e);
  }
  return bytes;
}

std::string commentLengthsPastTheEnd() {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  zb::Layout layout;
  std::string bytes = zb::archive(entries, "short", {}, &layout);
  // The last central header's comment length: 65535 bytes that are not there.
  const std::size_t last = layout.endOffset - zb::centralHeader(entries[2]).size();
  bytes[last + 32] = bytes[last + 33] = '\xFF';
  bytes[bytes.size() - 7] = '\xF4'; // archive comment length 500 for 5 bytes
  bytes[bytes.size() - 6] = '\x01';
  return bytes;
}

const HostileCase kCases[] = {
    {"Claims65535EntriesIn100Bytes", claims65535EntriesIn100Bytes, Outcome::BadZip, 0},
    {"Claims65535EntriesAfterOneRealOne", claims65535EntriesAfterOneRealOne, Outcome::Rebuilt, 1},
    {"CentralNameRunsPastTheEnd", centralNameRunsPastTheEnd, Outcome::Rebuilt, 3},
    {"LocalNameRunsPastTheEnd", localNameRunsPastTheEnd, Outcome::Incomplete, 0},
    {"CentralOffsetPastTheEnd", centralOffsetPastTheEnd, Outcome::Rebuilt, 3},
    {"LocalOffsetsPastTheEnd", localOffsetsPastTheEnd, Outcome::Read, 3},
    // Records inside the comment: the archive's own end record is the one that ends the file.
    {"CommentHoldsGarbageEndRecord", commentHoldsGarbageEndRecord, Outcome::Read, 3},
    {"CommentHoldsEndRecordPointingAstray", commentHoldsEndRecordPointingAstray, Outcome::Read, 3},
    {"DiskNumbersPointNowhere", diskNumbersPointNowhere, Outcome::Incomplete, 0},
    {"LastDiskCentralDirectoryRunsOut", lastDiskCentralDirectoryRunsOut, Outcome::Incomplete, 0},
    {"MegabytesOfGarbage", megabytesOfGarbage, Outcome::Incomplete, 0},
    {"LocalSizesThatWouldGoBackwards", localSizesThatWouldGoBackwards, Outcome::Incomplete, 0},
    {"ManyTinyLocalHeaders", manyTinyLocalHeaders, Outcome::Incomplete, 0},
    {"CommentLengthsPastTheEnd", commentLengthsPastTheEnd, Outcome::Read, 3},
};

class HostileArchiveTest : public ::testing::TestWithParam<HostileCase> {
protected:
  void SetUp() override {
    path_ = dir_.file("hostile.zip");
    test::writeFile(path_, GetParam().make());
  }

  // Opens under `mode` and asks everything a listing asks; an exception must be the reader's.
  void openAndList(TIncompleteZipMode mode, Outcome* outcome = nullptr) {
    TZipReader reader;
    reader.IncompleteZipMode = mode;
    reader.SetZipName(path_);
    try {
      reader.OpenArchive();
      if (outcome)
        *outcome = reader.Rebuilt() ? Outcome::Rebuilt : Outcome::Read;
      entries_ = reader.EntryCount();
      for (int i = 0; i < reader.EntryCount(); ++i) {
        reader.EntryComment(i);
        reader.EntryDateTime(i);
      }
      reader.ArchiveComment();
      reader.SortDirectory(TZipSortMode::ByName);
    } catch (const EBadZipFile&) {
      if (outcome)
        *outcome = Outcome::BadZip;
    } catch (const EIncompleteZip&) {
      if (outcome)
        *outcome = Outcome::Incomplete;
    } catch (const ENotAZipFile&) {
      EXPECT_EQ(mode, TIncompleteZipMode::izAssumeNotAZip);
    }
  }

  test::TempDir dir_;
  std::string path_;
  int entries_ = 0;
};

TEST_P(HostileArchiveTest, EndsInTheExpectedOutcome) {
  Outcome outcome{};
  openAndList(TIncompleteZipMode::izAssumeMulti, &outcome);
  EXPECT_EQ(outcome, GetParam().outcome);
  if (outcome == Outcome::Read || outcome == Outcome::Rebuilt) {
    EXPECT_EQ(entries_, GetParam().entries);
  }
}

TEST_P(HostileArchiveTest, EveryModeEndsCleanly) {
  for (auto mode : {TIncompleteZipMode::izAssumeMulti, TIncompleteZipMode::izAssumeBad,
                    TIncompleteZipMode::izAssumeNotAZip}) {
    openAndList(mode);
  }
}

INSTANTIATE_TEST_SUITE_P(Files, HostileArchiveTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HostileArchiveDetailTest, MissingDiskIsNamedInTheMessage) {
  test::TempDir dir;
  test::writeFile(dir.file("set.zip"), diskNumbersPointNowhere());
  TZipReader reader;
  reader.SetZipName(dir.file("set.zip"));
  try {
    reader.OpenArchive();
    FAIL();
  } catch (const EIncompleteZip& e) {
    EXPECT_EQ(std::string(e.what()),
              "Disk 2 of the multi-disk set is missing: " + dir.file("set.002"));
  }
  EXPECT_EQ(reader.EntryCount(), 0);
}

TEST(HostileArchiveDetailTest, ScanOverGarbageUnderAssumeBadIsABadZipFile) {
  test::TempDir dir;
  test::writeFile(dir.file("junk.zip"), megabytesOfGarbage());
  TZipReader reader;
  reader.IncompleteZipMode = TIncompleteZipMode::izAssumeBad;
  reader.SetZipName(dir.file("junk.zip"));
  EXPECT_THROW(reader.OpenArchive(), EBadZipFile);
}

TEST(HostileArchiveDetailTest, BackwardSizeEndsTheLocalWalk) {
  test::TempDir dir;
  test::writeFile(dir.file("back.zip"), localSizesThatWouldGoBackwards());
  TZipReader reader;
  reader.IncompleteZipMode = TIncompleteZipMode::izAssumeBad;
  reader.SetZipName(dir.file("back.zip"));
  reader.OpenArchive();
  ASSERT_EQ(reader.EntryCount(), 1);
  EXPECT_EQ(reader.Entry(0).FileName(), "alpha.txt");
}

TEST(HostileArchiveDetailTest, TruncatedCommentsKeepWhatIsThere) {
  test::TempDir dir;
  test::writeFile(dir.file("c.zip"), commentLengthsPastTheEnd());
  TZipReader reader;
  reader.SetZipName(dir.file("c.zip"));
  reader.OpenArchive();
  EXPECT_EQ(reader.ArchiveComment(), "short");
  EXPECT_EQ(reader.EndRecord().CommentLength, 5);
  // The comment runs into the end record and stops at the end of the file.
  EXPECT_EQ(reader.EntryComment(2).size(), 22u + 5u);
}

} // namespace
} // namespace larkspur::zip
