// Archives with 64-bit records made to measure: the values come from the 64-bit end record and
// extra field, and each damaged form is refused with its reason or read by its classic fields.
#include <gtest/gtest.h>

#include <functional>

#include "support/file_contents.h"
#include "support/temp_dir.h"
#include "zip/format/reader_texts.h"
#include "zip/format/zip_reader.h"
#include "zip_reader_fixtures.h"

namespace larkspur::zip {
namespace {

namespace zb = test::zipbytes;

void put64(std::string& out, std::uint64_t v) {
  zb::put32(out, static_cast<std::uint32_t>(v));
  zb::put32(out, static_cast<std::uint32_t>(v >> 32));
}

// What the builder may be told to get wrong.
struct Zip64Layout {
  int extraValues = 3;            // of size, packed size, offset in the central extra field
  std::uint64_t totalEntries = 1; // in the 64-bit end record
  std::uint32_t endSignature = 0x06064B50;
  std::int64_t locatorShift = 0; // added to the 64-bit end record's offset in the locator
  bool markEndRecord = true;     // classic end record fields all ones
};

const std::string kData = "sixty-four bits";

// One stored entry behind a junk prefix, every size and offset only in 64-bit fields.
std::string zip64Archive(const Zip64Layout& l) {
  const std::string prefix(7, 'j');
  const std::string name = "big.txt";
  std::string out = prefix;
  zb::put32(out, 0x04034B50);
  zb::put16(out, 45);
  zb::put16(out, 0);
  zb::put16(out, 0);
  zb::put32(out, zb::kSampleDosTime);
  zb::put32(out, zb::crc32(kData));
  zb::put32(out, 0xFFFFFFFF);
  zb::put32(out, 0xFFFFFFFF);
  zb::put16(out, static_cast<std::uint32_t>(name.size()));
  zb::put16(out, 20);
  out += name;
  zb::put16(out, 1);
  zb::put16(out, 16);
  put64(out, kData.size());
  put64(out, kData.size());
  out += kData;

  std::string extra;
  zb::put16(extra, 0x5455); // another field first, as writers put them
  zb::put16(extra, 1);
  extra += '\0';
  zb::put16(extra, 1);
  zb::put16(extra, static_cast<std::uint32_t>(8 * l.extraValues));
  const std::uint64_t values[] = {kData.size(), kData.size(), prefix.size()};
  for (int i = 0; i < l.extraValues; ++i)
    put64(extra, values[i]);

  const std::uint64_t central = out.size();
  zb::put32(out, 0x02014B50);
  zb::put16(out, 45);
  zb::put16(out, 45);
  zb::put16(out, 0);
  zb::put16(out, 0);
  zb::put32(out, zb::kSampleDosTime);
  zb::put32(out, zb::crc32(kData));
  zb::put32(out, 0xFFFFFFFF);
  zb::put32(out, 0xFFFFFFFF);
  zb::put16(out, static_cast<std::uint32_t>(name.size()));
  zb::put16(out, static_cast<std::uint32_t>(extra.size()));
  zb::put16(out, 0);
  zb::put16(out, 0);
  zb::put16(out, 0);
  zb::put32(out, 0x20);
  zb::put32(out, 0xFFFFFFFF);
  out += name + extra;

  const std::uint64_t centralSize = out.size() - central;
  const std::uint64_t endAt = out.size();
  zb::put32(out, l.endSignature);
  put64(out, 44);
  zb::put16(out, 45);
  zb::put16(out, 45);
  zb::put32(out, 0);
  zb::put32(out, 0);
  put64(out, l.totalEntries);
  put64(out, l.totalEntries);
  put64(out, centralSize);
  put64(out, central);
  zb::put32(out, 0x07064B50);
  zb::put32(out, 0);
  put64(out, endAt + static_cast<std::uint64_t>(l.locatorShift));
  zb::put32(out, 1);

  zb::End end;
  if (l.markEndRecord) {
    end.entriesOnThisDisk = end.totalEntries = 0xFFFF;
    end.centralSize = end.centralOffset = 0xFFFFFFFF;
  } else {
    end.entriesOnThisDisk = end.totalEntries = 1;
    end.centralSize = static_cast<std::uint32_t>(centralSize);
    end.centralOffset = static_cast<std::uint32_t>(central);
  }
  return out + zb::endRecord(end);
}

class Zip64ReadTest : public ::testing::Test {
protected:
  // The archive's directory, or the reader's error text.
  std::string open(const std::string& bytes, TZipReader& reader) {
    const std::string path = dir_.file("a.zip");
    test::writeFile(path, bytes);
    try {
      reader.SetZipName(path);
      reader.OpenArchive();
      return {};
    } catch (const Error& e) {
      return e.what();
    }
  }

  test::TempDir dir_;
};

TEST_F(Zip64ReadTest, SizesOffsetAndCountComeFromTheSixtyFourBitRecords) {
  TZipReader reader;
  ASSERT_EQ(open(zip64Archive({}), reader), "");
  ASSERT_EQ(reader.EntryCount(), 1);
  const TZipHeaderInfo& entry = reader.Entry(0);
  EXPECT_EQ(entry.FileName(), "big.txt");
  EXPECT_EQ(entry.Size(), kData.size());
  EXPECT_EQ(entry.PackedSize(), kData.size());
  EXPECT_EQ(entry.HeaderOffset(), 7u);
  EXPECT_TRUE(entry.HasZip64Values());
  EXPECT_EQ(reader.DirectoryProblem(), "");
}

TEST_F(Zip64ReadTest, DamagedSixtyFourBitRecordsAreRefusedWithTheirReason) {
  const struct {
    const char* what;
    Zip64Layout layout;
    std::string error;
  } kCases[] = {
      {"extra field lacks the offset", {.extraValues = 2}, reader_text::kZip64ExtraDamaged},
      {"extra field holds nothing", {.extraValues = 0}, reader_text::kZip64ExtraDamaged},
      {"record signature wrong", {.endSignature = 0x06054B50}, reader_text::kZip64EndDamaged},
      {"locator points past itself", {.locatorShift = 40}, reader_text::kZip64EndDamaged},
      {"locator points before the file", {.locatorShift = -1000}, reader_text::kZip64EndDamaged},
      {"more entries than the directory holds",
       {.totalEntries = 1u << 20},
       reader_text::kZip64EndDamaged},
      {"count near the 64-bit limit", {.totalEntries = ~0ull}, reader_text::kZip64EndDamaged},
  };
  for (const auto& c : kCases) {
    TZipReader reader;
    const std::string error = open(zip64Archive(c.layout), reader);
    EXPECT_EQ(error.substr(0, c.error.size()), c.error) << c.what << ": " << error;
    EXPECT_EQ(reader.EntryCount(), 0) << c.what;
  }
}

TEST_F(Zip64ReadTest, ADamagedRecordTheEndRecordDoesNotDeferToIsPassedOver) {
  TZipReader reader;
  Zip64Layout layout;
  layout.markEndRecord = false;
  layout.endSignature = 0;
  ASSERT_EQ(open(zip64Archive(layout), reader), "");
  ASSERT_EQ(reader.EntryCount(), 1);
  EXPECT_EQ(reader.Entry(0).Size(), kData.size());
}

} // namespace
} // namespace larkspur::zip
