// Local and central headers: layout as written, reading back, names, hostile bytes and the
// next-disk handover.
#include "zip/format/zip_header_info.h"

#include <gtest/gtest.h>

#include "record_test_support.h"
#include "zip/format/memory_stream.h"

namespace larkspur::zip {
namespace {

using test::kSep;
using test::le16;
using test::le32;

constexpr std::uint32_t kValidDosTime = 0x5A2B6C3D; // 2025-01-11 13:33:58

TZipHeaderInfo sampleEntry() {
  TZipHeaderInfo e;
  e.VersionMadeBy = 0x0314;
  e.VersionNeeded = 20;
  e.Flags = 0x0800;
  e.CompressionMethod = 0;
  e.FileDateTime = kValidDosTime;
  e.Crc32 = 0x11223344;
  e.CompressedSize = 9;
  e.UncompressedSize = 9;
  e.DiskNumberStart = 2;
  e.InternalAttributes = 1;
  e.ExternalAttributes = 0x81A40020;
  e.LocalHeaderOffset = 0x01020304;
  e.SetDirectory("sub");
  e.SetFileName("a.txt");
  return e;
}

// A central header with the given name bytes, extra and comment lengths, host byte and date.
std::string centralHeader(const std::string& name, std::uint16_t extra = 0,
                          std::uint16_t comment = 0, std::uint16_t madeBy = 20,
                          std::uint32_t dosTime = kValidDosTime) {
  return "PK\x01\x02" + le16(madeBy) + le16(20) + le16(0) + le16(8) + le32(dosTime) + le32(7) +
         le32(5) + le32(11) + le16(static_cast<std::uint16_t>(name.size())) + le16(extra) +
         le16(comment) + le16(0) + le16(0) + le32(0x20) + le32(0) + name;
}

std::string localHeader(const std::string& name, std::uint16_t extra = 0,
                        std::uint32_t dosTime = kValidDosTime) {
  return "PK\x03\x04" + le16(20) + le16(8) + le16(8) + le32(dosTime) + le32(7) + le32(5) +
         le32(11) + le16(static_cast<std::uint16_t>(name.size())) + le16(extra) + name;
}

TEST(ZipHeaderInfo, NewEntryCarriesTheWriterDefaults) {
  TZipHeaderInfo e;
  EXPECT_EQ(e.VersionMadeBy, 20);
  EXPECT_EQ(e.VersionNeeded, 20);
  EXPECT_EQ(e.CompressionMethod, 8);
  EXPECT_EQ(e.Crc32, 0xFFFFFFFFu);
  EXPECT_EQ(e.InternalAttributes, 1);
  EXPECT_EQ(e.ExternalAttributes, 0x20u);
  EXPECT_EQ(e.Flags | e.FileDateTime | e.CompressedSize | e.UncompressedSize | e.FileNameLength |
                e.CentralExtraLength | e.LocalExtraLength | e.FileCommentLength |
                e.DiskNumberStart | e.LocalHeaderOffset | e.CentralHeaderPosition | e.Mark1 |
                e.Mark2 | e.Mark3,
            0u);
  EXPECT_FALSE(e.FileComment().has_value());
}

TEST(ZipHeaderInfo, WritesLocalHeaderAtTheCurrentPositionAndRecordsIt) {
  TZipHeaderInfo e = sampleEntry();
  TMemoryStream out("prefix!");
  out.Seek(0, 2);
  e.WriteLocalHeader(out);
  EXPECT_EQ(e.LocalHeaderOffset, 7u);
  const std::string expected = "prefix!PK\x03\x04" + le16(20) + le16(0x0800) + le16(0) +
                               le32(kValidDosTime) + le32(0x11223344) + le32(9) + le32(9) +
                               le16(9) + le16(0) + "sub/a.txt";
  EXPECT_EQ(out.Bytes(), expected);
  EXPECT_EQ(e.LocalHeaderSize(), 39);
}

TEST(ZipHeaderInfo, WritesCentralHeaderWithCommentAndNothingElse) {
  TZipHeaderInfo e = sampleEntry();
  e.SetFileComment("hi");
  TMemoryStream out;
  e.WriteCentralHeader(out);
  const std::string expected = "PK\x01\x02" + le16(0x0314) + le16(20) + le16(0x0800) + le16(0) +
                               le32(kValidDosTime) + le32(0x11223344) + le32(9) + le32(9) +
                               le16(9) + le16(0) + le16(2) + le16(2) + le16(1) + le32(0x81A40020) +
                               le32(0x01020304) + "sub/a.txthi";
  EXPECT_EQ(out.Bytes(), expected);
  EXPECT_EQ(e.CentralHeaderSize(), static_cast<std::int64_t>(out.Bytes().size()));
}

TEST(ZipHeaderInfo, CentralHeaderReadsBackEveryField) {
  const TZipHeaderInfo written = sampleEntry();
  TMemoryStream stream("xyz");
  stream.Seek(0, 2);
  written.WriteCentralHeader(stream);
  stream.SetPosition(3);

  TZipHeaderInfo read;
  read.LocalExtraLength = 77; // not part of a central header: must survive
  read.Mark1 = read.Mark3 = 5;
  read.SetFileComment("old");
  ASSERT_TRUE(read.ReadCentralHeader(stream));
  EXPECT_EQ(stream.Position(), static_cast<std::int64_t>(stream.Bytes().size()));
  EXPECT_EQ(read.VersionMadeBy, written.VersionMadeBy);
  EXPECT_EQ(read.Flags, written.Flags);
  EXPECT_EQ(read.FileDateTime, written.FileDateTime);
  EXPECT_EQ(read.Crc32, written.Crc32);
  EXPECT_EQ(read.CompressedSize, written.CompressedSize);
  EXPECT_EQ(read.DiskNumberStart, written.DiskNumberStart);
  EXPECT_EQ(read.ExternalAttributes, written.ExternalAttributes);
  EXPECT_EQ(read.LocalHeaderOffset, written.LocalHeaderOffset);
  EXPECT_EQ(read.Directory(), "sub" + kSep);
  EXPECT_EQ(read.FileName(), "a.txt");
  EXPECT_EQ(read.FileNameLength, 9);
  EXPECT_EQ(read.CentralHeaderPosition, 3u);
  EXPECT_EQ(read.LocalExtraLength, 77);
  EXPECT_EQ(read.Mark1 + read.Mark3, 0);
  EXPECT_FALSE(read.FileComment().has_value());
}

TEST(ZipHeaderInfo, CentralHeaderStepsOverExtraFieldAndComment) {
  TMemoryStream stream(centralHeader("a.txt", 5, 3) + "EEEEECCC" + "next");
  TZipHeaderInfo e;
  ASSERT_TRUE(e.ReadCentralHeader(stream));
  EXPECT_EQ(stream.Position(), 46 + 5 + 8);
  EXPECT_EQ(e.CentralExtraLength, 5);
  EXPECT_EQ(e.FileCommentLength, 3);
  EXPECT_TRUE(e.HasComment());
  EXPECT_FALSE(e.FileComment().has_value());
}

TEST(ZipHeaderInfo, LocalHeaderReadStopsAtTheExtraField) {
  TMemoryStream stream("ab" + localHeader("dir/f", 4) + "XXXX");
  stream.SetPosition(2);
  TZipHeaderInfo e;
  e.CentralExtraLength = 6;
  e.ExternalAttributes = 0x10;
  ASSERT_TRUE(e.ReadLocalHeader(stream));
  EXPECT_EQ(stream.Position(), 2 + 30 + 5);
  EXPECT_EQ(e.VersionMadeBy, 0);
  EXPECT_EQ(e.Flags, 8);
  EXPECT_TRUE(e.HasDataDescriptor());
  EXPECT_EQ(e.LocalExtraLength, 4);
  EXPECT_EQ(e.CentralExtraLength, 6);
  EXPECT_EQ(e.ExternalAttributes, 0u);
  EXPECT_EQ(e.LocalHeaderOffset, 2u);
  EXPECT_EQ(e.CompressedSize, 5);
  EXPECT_EQ(e.UncompressedSize, 11);
  EXPECT_EQ(e.Directory(), "dir" + kSep);
  EXPECT_EQ(e.FileName(), "f");
  EXPECT_EQ(e.LocalHeaderSize(), 30 + 5 + 4);
}

TEST(ZipHeaderInfo, DateTimesReadFromHeadersAreClamped) {
  // Date/time 0 has month and day 0: it reads back as 1980-01-01 00:00:00.
  TMemoryStream central(centralHeader("a", 0, 0, 20, 0));
  TMemoryStream local(localHeader("a", 0, 0));
  TZipHeaderInfo e;
  ASSERT_TRUE(e.ReadCentralHeader(central));
  EXPECT_EQ(e.FileDateTime, 0x00210000u);
  ASSERT_TRUE(e.ReadLocalHeader(local));
  EXPECT_EQ(e.FileDateTime, 0x00210000u);
}

// ---- Hostile and truncated headers -------------------------------------------------------------

struct BadHeader {
  const char* label;
  bool central; // which reader the bytes are given to
  std::string bytes;
};

class HeaderRefused : public testing::TestWithParam<BadHeader> {};

TEST_P(HeaderRefused, ReturnsFalseAndPutsThePositionBack) {
  TMemoryStream stream("...." + GetParam().bytes);
  stream.SetPosition(4);
  TZipHeaderInfo e;
  EXPECT_FALSE(GetParam().central ? e.ReadCentralHeader(stream) : e.ReadLocalHeader(stream));
  EXPECT_EQ(stream.Position(), 4);
}

INSTANTIATE_TEST_SUITE_P(
    Records, HeaderRefused,
    testing::Values(
        BadHeader{"CentralEmpty", true, ""}, BadHeader{"CentralSignatureOnly", true, "PK\x01\x02"},
        BadHeader{"CentralFixedPartShort", true, centralHeader("").substr(0, 45)},
        BadHeader{"CentralWithLocalSignature", true, "PK\x03\x04" + centralHeader("abc").substr(4)},
        BadHeader{"CentralNameCutShort", true, centralHeader("name").substr(0, 48)},
        BadHeader{"CentralNameLengthPastTheEnd", true,
                  centralHeader("").substr(0, 28) + le16(0xFFFF) + centralHeader("").substr(30) +
                      "abc"},
        BadHeader{"LocalEmpty", false, ""},
        BadHeader{"LocalFixedPartShort", false, localHeader("").substr(0, 29)},
        BadHeader{"LocalWithCentralSignature", false, "PK\x01\x02" + localHeader("abc").substr(4)},
        BadHeader{"LocalNameCutShort", false, localHeader("name").substr(0, 33)},
        BadHeader{"LocalNameLengthPastTheEnd", false,
                  localHeader("").substr(0, 26) + le16(0xFFFF) + le16(0) + "xyz"}),
    [](const auto& info) { return std::string(info.param.label); });

// ---- Names --------------------------------------------------------------------------------------

TEST(ZipHeaderInfo, DirectoryEntryIsStoredWithATrailingSlash) {
  TZipHeaderInfo e;
  e.SetDirectory("sub" + kSep);
  TMemoryStream stream;
  e.WriteLocalHeader(stream);
  EXPECT_EQ(stream.Bytes().substr(30), "sub/");
  stream.SetPosition(0);
  TZipHeaderInfo read;
  ASSERT_TRUE(read.ReadLocalHeader(stream));
  EXPECT_EQ(read.Directory(), "sub" + kSep);
  EXPECT_EQ(read.FileName(), "");
}

// Where names are in a code page (Windows) only the DOS host's are OEM; where they are UTF-8
// (POSIX) a name that is not UTF-8 is read as OEM whatever host wrote it.
TEST(ZipHeaderInfo, CentralNamesAreConvertedFromOemForTheDosHostOrWhereNamesAreUtf8) {
  const std::string stored = "d/caf\x82";
  for (const bool namesAreUtf8 : {false, true}) {
    StoredNameRules rules = test::kAccentRules;
    rules.namesAreUtf8 = namesAreUtf8;
    for (const std::uint16_t host : {0, 3}) {
      TMemoryStream stream(centralHeader(stored, 0, 0, static_cast<std::uint16_t>(host << 8 | 20)));
      TZipHeaderInfo e;
      ASSERT_TRUE(e.ReadCentralHeader(stream, nullptr, rules));
      EXPECT_EQ(e.Directory(), "d" + kSep) << host;
      EXPECT_EQ(e.FileName(), host == 0 || namesAreUtf8 ? "caf\xE9" : "caf\x82") << host;
    }
  }
}

TEST(ZipHeaderInfo, LocalNamesAreAlwaysConvertedFromOem) {
  TMemoryStream stream(localHeader("caf\x82"));
  TZipHeaderInfo e;
  ASSERT_TRUE(e.ReadLocalHeader(stream, test::kAccentRules));
  EXPECT_EQ(e.FileName(), "caf\xE9");
}

TEST(ZipHeaderInfo, WrittenNamesAreConvertedToOem) {
  TZipHeaderInfo e;
  e.SetFileName("caf\xE9");
  TMemoryStream local, central;
  e.WriteLocalHeader(local, test::kAccentRules);
  e.WriteCentralHeader(central, test::kAccentRules);
  EXPECT_EQ(local.Bytes().substr(30), "caf\x82");
  EXPECT_EQ(central.Bytes().substr(46), "caf\x82");
}

// A name the code pages do not convert back unchanged ("x" + ANSI e-acute + OEM e-acute reads
// back as two ANSI accents): re-encoded by default, kept byte for byte by an entry carried over.
TEST(ZipHeaderInfo, AnEntryKeepingItsNameWritesTheBytesItWasReadWith) {
  const std::string stored = "x\xE9\x82";
  TMemoryStream stream(centralHeader(stored));
  TZipHeaderInfo read;
  ASSERT_TRUE(read.ReadCentralHeader(stream, nullptr, test::kAccentRules));
  EXPECT_EQ(read.StoredName(test::kAccentRules), stored);
  TZipHeaderInfo kept;
  kept.Assign(read);
  kept.KeepNameAsRead();
  TZipHeaderInfo copy;
  copy.Assign(kept);
  for (TZipHeaderInfo* e : {&read, &kept, &copy}) {
    TMemoryStream local, central;
    e->WriteLocalHeader(local, test::kAccentRules);
    e->WriteCentralHeader(central, test::kAccentRules);
    const std::string expected = e == &read ? "x\x82\x82" : stored;
    EXPECT_EQ(local.Bytes().substr(30), expected);
    EXPECT_EQ(central.Bytes().substr(46), expected);
  }
  copy.SetFileName("y");
  TMemoryStream renamed;
  copy.WriteLocalHeader(renamed, test::kAccentRules);
  EXPECT_EQ(renamed.Bytes().substr(30), "y");
}

TEST(ZipHeaderInfo, ColonSplitsAWindowsNameAndGetsABackslash) {
  TMemoryStream stream(centralHeader("a:b"));
  TZipHeaderInfo e;
  ASSERT_TRUE(e.ReadCentralHeader(stream, nullptr, test::kWindowsGbkRules));
  EXPECT_EQ(e.Directory(), "a:\\");
  EXPECT_EQ(e.FileName(), "b");
  EXPECT_EQ(e.FileNameLength, 4);
  TMemoryStream out;
  e.WriteLocalHeader(out, test::kWindowsGbkRules);
  EXPECT_EQ(out.Bytes().substr(30), "a:/b");
  EXPECT_EQ(out.Bytes().substr(26, 2), le16(4));
}

#ifndef _WIN32
TEST(ZipHeaderInfo, ColonIsAnOrdinaryCharacterOnPosix) {
  TMemoryStream stream(centralHeader("a:b"));
  TZipHeaderInfo e;
  ASSERT_TRUE(e.ReadCentralHeader(stream));
  EXPECT_EQ(e.Directory(), "");
  EXPECT_EQ(e.FileName(), "a:b");
}
#endif

TEST(ZipHeaderInfo, DirectoryEndingInATrailByteStillGetsASeparator) {
  // "\x81\x5C" is one double-byte character whose trail byte is 0x5C.
  TZipHeaderInfo e;
  e.SetDirectory("d\x81\x5C", test::gbkLeadByte);
  EXPECT_EQ(e.Directory(), "d\x81\x5C" + kSep);
  EXPECT_EQ(e.FileNameLength, 4);
}

TEST(ZipHeaderInfo, SystemDoubleByteNameWithBackslashTrailByteSurvivesBothHeaders) {
  if (!platform::isLeadByte(0x81))
    GTEST_SKIP() << "the ANSI code page has no double-byte characters";
  // In GBK, "\x81\x5C" is one character whose trail byte is the backslash byte.
  TZipHeaderInfo e;
  e.SetDirectory("d\x81\x5C");
  e.SetFileName("\x81\x5C.txt");
  TMemoryStream stream;
  e.WriteLocalHeader(stream);
  e.WriteCentralHeader(stream);
  EXPECT_EQ(stream.Bytes().substr(30, 10), "d\x81\x5C/\x81\x5C.txt");
  stream.SetPosition(0);
  TZipHeaderInfo local, central;
  ASSERT_TRUE(local.ReadLocalHeader(stream));
  stream.SetPosition(e.LocalHeaderSize());
  ASSERT_TRUE(central.ReadCentralHeader(stream));
  for (const TZipHeaderInfo* read : {&local, &central}) {
    EXPECT_EQ(read->Directory(), e.Directory());
    EXPECT_EQ(read->FileName(), e.FileName());
  }
}

TEST(ZipHeaderInfo, SizesFollowNameExtraAndComment) {
  TZipHeaderInfo e;
  e.SetFileName("a.txt");
  EXPECT_EQ(e.CentralHeaderSize(), 51);
  EXPECT_EQ(e.LocalHeaderSize(), 35);
  e.SetDirectory("sub" + kSep);
  e.SetFileComment("cc");
  e.LocalExtraLength = 4;
  EXPECT_EQ(e.FileNameLength, 9);
  EXPECT_EQ(e.CentralHeaderSize(), 46 + 9 + 2);
  EXPECT_EQ(e.LocalHeaderSize(), 30 + 9 + 4);
}

TEST(ZipHeaderInfo, AssignTakesTheCommentOnlyWhenLoaded) {
  TZipHeaderInfo source = sampleEntry();
  source.Mark2 = 9;
  source.SetFileComment("note");
  TZipHeaderInfo copy;
  copy.Assign(source);
  EXPECT_EQ(copy.FileComment(), std::optional<std::string>("note"));
  EXPECT_EQ(copy.Directory(), source.Directory());
  EXPECT_EQ(copy.FileNameLength, 9);
  EXPECT_EQ(copy.Mark2, 9);
  EXPECT_EQ(copy.ExternalAttributes, source.ExternalAttributes);

  // A comment known by its length only: the copy has the length and no stale text.
  TMemoryStream stream(centralHeader("a", 0, 3) + "CCC");
  TZipHeaderInfo unloaded;
  ASSERT_TRUE(unloaded.ReadCentralHeader(stream));
  copy.Assign(unloaded);
  EXPECT_EQ(copy.FileCommentLength, 3);
  EXPECT_FALSE(copy.FileComment().has_value());
}

TEST(ZipHeaderInfo, UnloadedCommentIsNotAnnouncedInTheWrittenHeader) {
  TMemoryStream stream(centralHeader("a", 0, 3) + "CCC");
  TZipHeaderInfo e;
  ASSERT_TRUE(e.ReadCentralHeader(stream));
  TMemoryStream out;
  e.WriteCentralHeader(out);
  ASSERT_EQ(out.Bytes().size(), 47u);
  EXPECT_EQ(out.Bytes().substr(32, 2), le16(0));
}

TEST(ZipHeaderInfo, NameTooLongForItsLengthFieldIsNotWritten) {
  TZipHeaderInfo e;
  e.SetFileName(std::string(0x10000, 'n'));
  TMemoryStream out;
  EXPECT_THROW(e.WriteLocalHeader(out), EStreamError);
  EXPECT_TRUE(out.Bytes().empty());
}

// ---- Next disk ---------------------------------------------------------------------------------

TEST(ZipHeaderInfo, CentralHeaderContinuesOnTheNextDisk) {
  const std::string header = centralHeader("dir/name.txt", 2, 0) + "EE";
  TMemoryStream first("earlier" + header.substr(0, 20));
  first.SetPosition(7);
  TMemoryStream second(header.substr(20) + "after");
  int calls = 0;
  TZipHeaderInfo e;
  ASSERT_TRUE(e.ReadCentralHeader(first, [&]() -> TStream& {
    ++calls;
    return second;
  }));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(e.FileName(), "name.txt");
  EXPECT_EQ(e.CentralHeaderPosition, 7u);
  EXPECT_EQ(second.Position(), static_cast<std::int64_t>(header.size() - 20));
}

TEST(ZipHeaderInfo, NextDiskIsAskedForWhenNothingIsLeft) {
  TMemoryStream first("x");
  first.SetPosition(1);
  TMemoryStream second(centralHeader("n"));
  int calls = 0;
  TZipHeaderInfo e;
  EXPECT_TRUE(e.ReadCentralHeader(first, [&]() -> TStream& {
    ++calls;
    return second;
  }));
  EXPECT_EQ(calls, 1);
}

TEST(ZipHeaderInfo, NextDiskIsNotAskedForAfterForeignBytes) {
  TMemoryStream first("PK\x05\x06" + std::string(10, '\0'));
  bool called = false;
  TZipHeaderInfo e;
  EXPECT_FALSE(e.ReadCentralHeader(first, [&]() -> TStream& {
    called = true;
    return first;
  }));
  EXPECT_FALSE(called);
  EXPECT_EQ(first.Position(), 0);
}

TEST(ZipHeaderInfo, FailureAfterTheSwitchLeavesTheOldDiskAlone) {
  auto first = std::make_unique<TMemoryStream>("PK\x01\x02");
  TMemoryStream second("too short");
  second.SetPosition(2);
  TZipHeaderInfo e;
  // The handler frees the old disk's stream, as the reader's disk switch does.
  EXPECT_FALSE(e.ReadCentralHeader(*first, [&]() -> TStream& {
    first.reset();
    return second;
  }));
  EXPECT_EQ(second.Position(), 2);
}

} // namespace
} // namespace larkspur::zip
