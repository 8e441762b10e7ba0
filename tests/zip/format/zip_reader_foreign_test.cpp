// Archives made in the test by other tools, Info-ZIP zip (comments, data descriptors, a
// self-extractor stub with adjusted offsets) and Python's zipfile (extra fields, UTF-8 names),
// read by the reader and compared field by field with what Python's zipfile reads.
#include <gtest/gtest.h>

#include "host_tool_fixture.h"
#include "platform/platform.h"
#include "support/file_contents.h"
#include "zip/format/entry_name.h"
#include "zip/format/zip_reader.h"

namespace larkspur::zip {
namespace {

std::string native(std::string name) {
  for (char& c : name) {
    if (c == '/')
      c = platform::kPathDelimiter;
  }
  return name;
}

class ForeignArchiveTest : public test::HostToolTest {
protected:
  void SetUp() override {
    test::writeFile(dir_.file("a.txt"), "alpha alpha alpha alpha\n");
    platform::createDirectory(dir_.file("sub"));
    test::writeFile(dir_.file("sub/b.txt"), std::string(5000, 'b'));
    test::writeFile(dir_.file("sub/c.bin"), std::string("\x00\x01\x02\xFF", 4));
  }

  // Reads `archive` with the reader and checks every entry against Python's view of it.
  void expectSameAsPython(const std::string& archive) {
    const auto python = test::readEntriesWithPython(dir_.file(archive));
    TZipReader reader;
    reader.SetZipName(dir_.file(archive));
    reader.OpenArchive();
    ASSERT_EQ(reader.EntryCount(), static_cast<int>(python.size()));
    for (int i = 0; i < reader.EntryCount(); ++i) {
      const test::CheckedEntry& expected = python[static_cast<std::size_t>(i)];
      const TZipHeaderInfo& e = reader.Entry(i);
      // The bytes are Python's; the name is those bytes as the system spells them.
      EXPECT_EQ(e.StoredName(), expected.name) << i;
      const std::uint16_t madeBy =
          static_cast<std::uint16_t>(expected.createSystem << 8 | expected.createVersion);
      EXPECT_EQ(e.Directory() + e.FileName(),
                native(SystemEntryName(expected.name, static_cast<std::uint16_t>(expected.flagBits),
                                       madeBy, e.CentralExtra())
                           .text))
          << i;
      EXPECT_EQ(static_cast<std::uint32_t>(e.UncompressedSize), expected.fileSize) << i;
      EXPECT_EQ(static_cast<std::uint32_t>(e.CompressedSize), expected.compressedSize) << i;
      EXPECT_EQ(e.Crc32, expected.crc) << i;
      EXPECT_EQ(e.LocalHeaderOffset, expected.headerOffset) << i;
      EXPECT_EQ(e.Flags, expected.flagBits) << i;
      EXPECT_EQ(e.CentralExtraLength, e.CentralExtra().size()) << i;
      EXPECT_EQ(reader.EntryComment(i), expected.comment) << i;
    }
    EXPECT_EQ(reader.ArchiveComment(), test::archiveCommentWithPython(dir_.file(archive)));
  }

  // `archive` without its last `cut` bytes, under `name`.
  void truncate(const std::string& archive, std::size_t cut, const std::string& name) {
    const std::string bytes = test::readFile(dir_.file(archive));
    test::writeFile(dir_.file(name), bytes.substr(0, bytes.size() - cut));
  }
};

TEST_F(ForeignArchiveTest, InfoZipArchiveWithComments) {
  host("zip -q -r x.zip a.txt sub && printf 'first comment\\nsecond\\nthird\\n' | zip -q -c x.zip "
       "a.txt sub/b.txt sub/c.bin && printf 'the archive comment\\n' | zip -q -z x.zip");
  if (stopped())
    return;
  expectSameAsPython("x.zip");
}

TEST_F(ForeignArchiveTest, InfoZipDataDescriptors) {
  host("zip -q -fd -r d.zip a.txt sub");
  if (stopped())
    return;
  expectSameAsPython("d.zip");
  TZipReader reader;
  reader.SetZipName(dir_.file("d.zip"));
  reader.OpenArchive();
  EXPECT_TRUE(reader.Entry(0).HasDataDescriptor());
}

// Sizes of 0 in a local header followed by a descriptor give the walk nothing to step by: the
// first entry comes back, and the walk ends in its data.
TEST_F(ForeignArchiveTest, TruncatedDataDescriptorArchiveKeepsItsFirstEntry) {
  host("zip -q -fd -r d.zip a.txt sub");
  if (stopped())
    return;
  truncate("d.zip", 22, "cut.zip");
  TZipReader reader;
  reader.IncompleteZipMode = TIncompleteZipMode::izAssumeBad;
  reader.SetZipName(dir_.file("cut.zip"));
  reader.OpenArchive();
  EXPECT_TRUE(reader.Rebuilt());
  ASSERT_GE(reader.EntryCount(), 1);
  EXPECT_EQ(reader.Entry(0).FileName(), "a.txt");
}

TEST_F(ForeignArchiveTest, TruncatedInfoZipArchiveIsRebuilt) {
  host("zip -q -r x.zip a.txt sub");
  if (stopped())
    return;
  truncate("x.zip", 30, "cut.zip");
  TZipReader whole, rebuilt;
  whole.SetZipName(dir_.file("x.zip"));
  whole.OpenArchive();
  rebuilt.IncompleteZipMode = TIncompleteZipMode::izAssumeBad;
  rebuilt.SetZipName(dir_.file("cut.zip"));
  rebuilt.OpenArchive();
  EXPECT_TRUE(rebuilt.Rebuilt());
  ASSERT_EQ(rebuilt.EntryCount(), whole.EntryCount());
  for (int i = 0; i < whole.EntryCount(); ++i) {
    EXPECT_EQ(rebuilt.Entry(i).FileName(), whole.Entry(i).FileName());
    EXPECT_EQ(rebuilt.Entry(i).Crc32, whole.Entry(i).Crc32);
    EXPECT_EQ(rebuilt.Entry(i).ExternalAttributes, whole.Entry(i).ExternalAttributes);
  }
}

// A stub in front, offsets adjusted by zip -A: read like any archive.
TEST_F(ForeignArchiveTest, SelfExtractorWithAdjustedOffsets) {
  test::writeFile(dir_.file("stub.bin"), std::string(16000, 'S'));
  host("zip -q -r x.zip a.txt sub && cat stub.bin x.zip > sfx.exe && zip -q -A sfx.exe");
  if (stopped())
    return;
  expectSameAsPython("sfx.exe");
  TZipReader reader;
  reader.SetZipName(dir_.file("sfx.exe"));
  reader.OpenArchive();
  EXPECT_EQ(reader.Entry(0).LocalHeaderOffset, 16000u);
  // Without its end record it is scanned from the stub's end, and rebuilt.
  truncate("sfx.exe", 22, "cut.exe");
  TZipReader cut;
  cut.IncompleteZipMode = TIncompleteZipMode::izAssumeBad;
  cut.SetZipName(dir_.file("cut.exe"));
  cut.OpenArchive();
  EXPECT_EQ(cut.EntryCount(), reader.EntryCount());
}

TEST_F(ForeignArchiveTest, PythonArchiveWithExtraFieldsAndUtf8Names) {
  test::writeFile(dir_.file("make.py"), R"(import zipfile
with zipfile.ZipFile('p.zip', 'w') as z:
    z.comment = b'made by python'
    i = zipfile.ZipInfo('plain.txt', (2020, 1, 2, 3, 4, 6))
    i.extra = b'\xfe\xca\x04\x00abcd'
    i.comment = b'with an extra field'
    z.writestr(i, 'plain data')
    z.writestr(zipfile.ZipInfo('docs/\u6587\u6863.txt', (2021, 6, 15, 12, 30, 10)), 'utf-8 name')
    i = zipfile.ZipInfo('docs/deflated.txt', (2022, 12, 31, 23, 59, 58))
    i.compress_type = zipfile.ZIP_DEFLATED
    i.extra = b'\x01\xff\x10\x00' + bytes(16)
    z.writestr(i, 'x' * 4000)
)");
  host("python3 make.py");
  if (stopped())
    return;
  expectSameAsPython("p.zip");
  TZipReader reader;
  reader.SetZipName(dir_.file("p.zip"));
  reader.OpenArchive();
  // 文档.txt, flagged UTF-8: in the ANSI code page (936) where names are not UTF-8.
  EXPECT_EQ(reader.Entry(1).FileName(),
            platform::kNamesAreUtf8 ? "\xE6\x96\x87\xE6\xA1\xA3.txt" : "\xCE\xC4\xB5\xB5.txt");
  EXPECT_NE(reader.Entry(1).Flags & 0x0800, 0);
  EXPECT_EQ(reader.Entry(2).CompressionMethod, 8);
  EXPECT_EQ(reader.EntryDateTime(2), (DateTime{2022, 12, 31, 23, 59, 58}));
}

} // namespace
} // namespace larkspur::zip
