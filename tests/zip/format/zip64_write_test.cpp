// The 64-bit fields as written: each size, offset and count the classic fields cannot hold goes
// into the extra field or the 64-bit end record in the application note's layout, and the
// reader's own parsing gives back every value; what fits keeps the classic bytes.
#include <gtest/gtest.h>

#include <cctype>

#include "record_test_support.h"
#include "zip/format/end_central.h"
#include "zip/format/memory_stream.h"
#include "zip/format/zip_header_info.h"

namespace larkspur::zip {
namespace {

using test::le16;
using test::le32;

constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;

std::string le64(std::uint64_t v) {
  return le32(static_cast<std::uint32_t>(v)) + le32(static_cast<std::uint32_t>(v >> 32));
}

std::uint32_t u32At(const std::string& bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i)
    v = (v << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  return v;
}

struct EntryCase {
  const char* what;
  std::uint64_t packed, size, offset;
  bool reserveLocal;
  std::uint64_t threshold = kZip64Marker32;
  // The central extra field expected, values in order: size, packed size, offset.
  std::string centralExtra;
  std::uint16_t versionNeeded;
};

std::string zip64Field(const std::string& values) {
  return le16(kZip64ExtraId) + le16(static_cast<std::uint16_t>(values.size())) + values;
}

const EntryCase kEntryCases[] = {
    {"classic", 100, 200, 300, false, kZip64Marker32, "", 20},
    {"size of 5 GiB", 2 * kGiB, 5 * kGiB, 0, true, kZip64Marker32, zip64Field(le64(5 * kGiB)), 45},
    {"both sizes", 5 * kGiB, 6 * kGiB, 0, true, kZip64Marker32,
     zip64Field(le64(6 * kGiB) + le64(5 * kGiB)), 45},
    {"offset only", 10, 10, 5 * kGiB, false, kZip64Marker32, zip64Field(le64(5 * kGiB)), 45},
    {"all three", 5 * kGiB, 5 * kGiB + 1, 7 * kGiB, true, kZip64Marker32,
     zip64Field(le64(5 * kGiB + 1) + le64(5 * kGiB) + le64(7 * kGiB)), 45},
    // The marker value itself cannot be a classic value.
    {"size is the marker", 1, kZip64Marker32, 0, true, kZip64Marker32,
     zip64Field(le64(kZip64Marker32)), 45},
    {"just below the marker", kZip64Marker32 - 1, kZip64Marker32 - 1, kZip64Marker32 - 1, false,
     kZip64Marker32, "", 20},
    // Reserved for a file that might have grown, which then fitted after all.
    {"reserved, fits", 100, 200, 300, true, kZip64Marker32, "", 45},
    {"lowered threshold", 1000, 999, 1000, true, 1000, zip64Field(le64(1000) + le64(1000)), 45},
};

class Zip64EntryWrite : public ::testing::TestWithParam<EntryCase> {};

TEST_P(Zip64EntryWrite, HeadersRoundTripThroughTheReader) {
  const EntryCase& c = GetParam();
  TZipHeaderInfo e;
  e.Zip64Threshold = c.threshold;
  e.SetFileName("big.bin");
  if (c.reserveLocal)
    e.SetLocalZip64Sizes(true);
  e.SetSizes(c.packed, c.size);
  TMemoryStream file;
  file.SetPosition(0);
  e.WriteLocalHeader(file);
  e.SetHeaderOffset(c.offset); // as if the header had been written there
  const std::string local = file.Bytes();
  TMemoryStream central;
  e.WriteCentralHeader(central);

  EXPECT_EQ(e.VersionNeeded, c.versionNeeded);
  EXPECT_EQ(e.Size(), c.size);
  EXPECT_EQ(e.PackedSize(), c.packed);
  EXPECT_EQ(e.HeaderOffset(), c.offset);

  // Central: the extra field holds exactly the values whose classic fields hold the marker.
  const std::string cbytes = central.Bytes();
  ASSERT_EQ(cbytes.size(), 46u + 7u + c.centralExtra.size());
  EXPECT_EQ(cbytes.substr(46 + 7), c.centralExtra);
  EXPECT_EQ(e.CentralHeaderSize(), static_cast<std::int64_t>(cbytes.size()));
  TZipHeaderInfo readCentral;
  central.SetPosition(0);
  ASSERT_TRUE(readCentral.ReadCentralHeader(central));
  EXPECT_EQ(readCentral.Size(), c.size);
  EXPECT_EQ(readCentral.PackedSize(), c.packed);
  EXPECT_EQ(readCentral.HeaderOffset(), c.offset);
  EXPECT_EQ(readCentral.VersionNeeded, c.versionNeeded);

  // Local: a reserved header gives both sizes, markers in both classic fields.
  ASSERT_EQ(local.size(), 30u + 7u + (c.reserveLocal ? 20u : 0u));
  EXPECT_EQ(e.LocalHeaderSize(), static_cast<std::int64_t>(local.size()));
  if (c.reserveLocal) {
    EXPECT_EQ(u32At(local, 18), kZip64Marker32);
    EXPECT_EQ(u32At(local, 22), kZip64Marker32);
    EXPECT_EQ(local.substr(37), zip64Field(le64(c.size) + le64(c.packed)));
  }
  TZipHeaderInfo readLocal;
  file.SetPosition(0);
  ASSERT_TRUE(readLocal.ReadLocalHeader(file));
  EXPECT_EQ(file.Position(), 37); // at the extra field, as for any local header
  EXPECT_EQ(readLocal.Size(), c.size);
  EXPECT_EQ(readLocal.PackedSize(), c.packed);
}

INSTANTIATE_TEST_SUITE_P(Cases, Zip64EntryWrite, ::testing::ValuesIn(kEntryCases),
                         [](const auto& info) {
                           std::string name;
                           for (const char* p = info.param.what; *p; ++p)
                             name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                           return name;
                         });

struct EndCase {
  const char* what;
  std::uint64_t entries, size, offset;
  std::uint64_t threshold = kZip64Marker32, countThreshold = kZip64Marker16;
  bool zip64;
};

class Zip64EndWrite : public ::testing::TestWithParam<EndCase> {};

TEST_P(Zip64EndWrite, EndRecordsRoundTripThroughTheReader) {
  const EndCase& c = GetParam();
  TEndCentral end;
  end.SetComment("note");
  end.SetDirectory(c.entries, c.size, c.offset, c.threshold, c.countThreshold);
  TMemoryStream file;
  const std::size_t recordsAt = 1000; // behind some directory bytes
  file.SetSize(static_cast<std::int64_t>(recordsAt));
  file.SetPosition(static_cast<std::int64_t>(recordsAt));
  end.WriteEndRecord(file);
  const std::string bytes = file.Bytes();
  ASSERT_EQ(bytes.size(), recordsAt + (c.zip64 ? 56u + 20u : 0u) + 26u);

  TEndCentral read;
  ASSERT_TRUE(read.LocateEndRecord(file));
  EXPECT_EQ(read.CommentLength, 4);
  const std::int64_t classicAt = read.CommentPosition - kEndRecordSize;
  const Zip64EndRead wide = ReadZip64End(file, classicAt);
  if (!c.zip64) {
    EXPECT_EQ(wide.status, Zip64EndStatus::Absent);
    EXPECT_EQ(read.EntryCount(), c.entries);
    EXPECT_EQ(read.DirectorySize(), c.size);
    EXPECT_EQ(read.DirectoryOffset(), c.offset);
    return;
  }
  // The record's own layout: its size field counts the 44 bytes after it; version 4.5.
  EXPECT_EQ(bytes.substr(recordsAt, 4), "PK\x06\x06");
  EXPECT_EQ(bytes.substr(recordsAt + 4, 8), le64(44));
  EXPECT_EQ(bytes.substr(recordsAt + 12, 4), le16(45) + le16(45));
  // The locator: disk 0 holds the record, at its offset, of 1 disk.
  EXPECT_EQ(bytes.substr(recordsAt + 56, 20),
            std::string("PK\x06\x07") + le32(0) + le64(recordsAt) + le32(1));
  ASSERT_EQ(wide.status, Zip64EndStatus::Found);
  read.Zip64 = wide.record;
  EXPECT_EQ(wide.record.recordPosition, static_cast<std::int64_t>(recordsAt));
  EXPECT_EQ(read.EntryCount(), c.entries);
  EXPECT_EQ(read.EntriesOnDisk(), c.entries);
  EXPECT_EQ(read.DirectorySize(), c.size);
  EXPECT_EQ(read.DirectoryOffset(), c.offset);
  // Classic fields: the value where it fits, the marker where it does not.
  EXPECT_EQ(read.TotalEntries, c.entries >= c.countThreshold ? kZip64Marker16 : c.entries);
  EXPECT_EQ(read.CentralSize, c.size >= c.threshold ? kZip64Marker32 : c.size);
  EXPECT_EQ(read.CentralOffset, c.offset >= c.threshold ? kZip64Marker32 : c.offset);
}

// Sizes and offsets small enough for the record's checks: the directory lies before it.
INSTANTIATE_TEST_SUITE_P(
    Cases, Zip64EndWrite,
    ::testing::Values(EndCase{"classic", 3, 150, 500, kZip64Marker32, kZip64Marker16, false},
                      EndCase{"count past 16 bits", 3, 150, 500, kZip64Marker32, 3, true},
                      EndCase{"offset at the limit", 3, 150, 500, 500, kZip64Marker16, true},
                      EndCase{"size at the limit", 3, 150, 500, 150, kZip64Marker16, true},
                      EndCase{"all three", 3, 150, 500, 100, 2, true}));

TEST(Zip64EntryWrite, EveryCountAtOrAbove65535UsesTheRecord) {
  // 65535 itself is the marker, so it is written in the 64-bit record.
  TEndCentral end;
  end.SetDirectory(65535, 0, 0);
  EXPECT_TRUE(end.Zip64.has_value());
  EXPECT_EQ(end.TotalEntries, kZip64Marker16);
  end.SetDirectory(65534, 0, 0);
  EXPECT_FALSE(end.Zip64.has_value());
  EXPECT_EQ(end.TotalEntries, 65534);
}

// A header read back keeps every other extra field, but its 64-bit field is made anew from the
// values, so an update that moves the entry never writes a stale offset or a second field.
TEST(Zip64EntryWrite, TheOld64BitFieldIsDroppedAndTheOtherFieldsKept) {
  const std::string time = le16(0x5455) + le16(5) + std::string("\x01\x00\x00\x00\x40", 5);
  const std::string wide = le16(kZip64ExtraId) + le16(8) + le64(5 * kGiB);
  const std::string unicode = le16(0x7075) + le16(1) + std::string(1, '\x01');
  EXPECT_EQ(WithoutZip64Field(time + wide + unicode), time + unicode);
  EXPECT_EQ(WithoutZip64Field(wide), "");
  // A field running past the block is kept as it stands, like every byte after it.
  const std::string cut = le16(kZip64ExtraId) + le16(40) + "abc";
  EXPECT_EQ(WithoutZip64Field(time + cut), time + cut);
  EXPECT_EQ(WithoutZip64Field("ab"), "ab");
}

} // namespace
} // namespace larkspur::zip
