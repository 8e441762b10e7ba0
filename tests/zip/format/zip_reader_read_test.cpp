// Reading well-formed archives: the directory, names, comments loaded on demand, dates, sorted
// views, the files without an end record, and the directory cache against the file's stamp.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "support/file_contents.h"
#include "support/temp_dir.h"
#include "zip/format/list_error.h"
#include "zip/format/zip_reader.h"
#include "zip_reader_fixtures.h"

namespace larkspur::zip {
namespace {

namespace zb = test::zipbytes;

std::string native(std::string name) {
  for (char& c : name) {
    if (c == '/')
      c = platform::kPathDelimiter;
  }
  return name;
}

class ZipReaderReadTest : public ::testing::Test {
protected:
  // Writes `bytes` as the archive and names it in the reader.
  void useArchive(const std::string& bytes, const std::string& name = "test.zip") {
    path_ = dir_.file(name);
    test::writeFile(path_, bytes);
    reader_.SetZipName(path_);
  }
  std::string fullName(int index) {
    const TZipHeaderInfo& e = reader_.Entry(index);
    return e.Directory() + e.FileName();
  }

  test::TempDir dir_;
  std::string path_;
  TZipReader reader_;
};

TEST_F(ZipReaderReadTest, ReadsEntriesInStoredOrder) {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  useArchive(zb::archive(entries, "archive note"));
  reader_.OpenArchive();
  ASSERT_EQ(reader_.EntryCount(), 3);
  EXPECT_EQ(fullName(0), "alpha.txt");
  EXPECT_EQ(reader_.Entry(1).Directory(), native("docs/"));
  EXPECT_EQ(reader_.Entry(1).FileName(), "beta.txt");
  EXPECT_EQ(reader_.Entry(1).UncompressedSize, 300);
  EXPECT_EQ(reader_.Entry(1).LocalHeaderOffset, entries[1].offset);
  EXPECT_EQ(reader_.Entry(2).Crc32, zb::crc32(entries[2].data));
  EXPECT_EQ(reader_.DiskCount(), 1);
  EXPECT_EQ(reader_.MultiMode(), TMultiMode::mmNone);
  EXPECT_FALSE(reader_.Rebuilt());
  EXPECT_EQ(reader_.SortedEntries(), reader_.Entries());
}

TEST_F(ZipReaderReadTest, CloseArchiveClosesUnlessKeptOpen) {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  useArchive(zb::archive(entries));
  reader_.OpenArchive();
  EXPECT_NE(reader_.ArchiveStream(), nullptr);
  reader_.CloseArchive();
  EXPECT_EQ(reader_.ArchiveStream(), nullptr);
  reader_.KeepZipOpen = true;
  reader_.OpenArchive();
  reader_.CloseArchive();
  EXPECT_NE(reader_.ArchiveStream(), nullptr);
  // ClearArchive forgets everything, the kept stream and the name included.
  reader_.ClearArchive();
  EXPECT_EQ(reader_.ArchiveStream(), nullptr);
  EXPECT_EQ(reader_.EntryCount(), 0);
  EXPECT_TRUE(reader_.ZipName().empty());
}

TEST_F(ZipReaderReadTest, CentralEntriesOrderedByLocalOffset) {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  std::string bytes;
  for (zb::Entry& e : entries) {
    e.offset = static_cast<std::uint32_t>(bytes.size());
    bytes += zb::localHeader(e) + e.data;
  }
  const auto central = static_cast<std::uint32_t>(bytes.size());
  for (int i : {2, 0, 1})
    bytes += zb::centralHeader(entries[static_cast<std::size_t>(i)]);
  zb::End end;
  end.totalEntries = end.entriesOnThisDisk = 3;
  end.centralOffset = central;
  end.centralSize = static_cast<std::uint32_t>(bytes.size()) - central;
  useArchive(bytes + zb::endRecord(end));
  reader_.OpenArchive();
  ASSERT_EQ(reader_.EntryCount(), 3);
  EXPECT_EQ(fullName(0), "alpha.txt");
  EXPECT_EQ(fullName(2), native("docs/gamma.bin"));
}

TEST_F(ZipReaderReadTest, CentralExtraBytesAreKeptAsStored) {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  entries[0].centralExtra = std::string("\x55\x54\x05\x00\x01\x02\x03\x04\x05", 9);
  entries[1].centralExtra = std::string(40, '\x07');
  entries[1].localExtra = std::string(12, '\x09');
  useArchive(zb::archive(entries));
  reader_.OpenArchive();
  ASSERT_EQ(reader_.EntryCount(), 3);
  // Kept as stored, so an update writes them back unchanged.
  EXPECT_EQ(reader_.Entry(0).CentralExtra(), entries[0].centralExtra);
  EXPECT_EQ(reader_.Entry(1).CentralExtra(), entries[1].centralExtra);
  EXPECT_EQ(reader_.Entry(2).CentralExtra(), "");
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(reader_.Entry(i).CentralExtraLength, reader_.Entry(i).CentralExtra().size()) << i;
  EXPECT_EQ(reader_.EntryComment(1), "beta's comment");
  EXPECT_EQ(fullName(2), native("docs/gamma.bin"));
}

TEST_F(ZipReaderReadTest, CommentsAreLoadedOnDemand) {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  entries[1].centralExtra = "xyz";
  useArchive(zb::archive(entries, "the archive's comment"));
  reader_.OpenArchive();
  reader_.CloseArchive();
  EXPECT_FALSE(reader_.Entry(1).FileComment().has_value());
  EXPECT_EQ(reader_.Entry(1).FileCommentLength, 14);
  EXPECT_EQ(reader_.EntryComment(0), "");
  EXPECT_EQ(reader_.EntryComment(1), "beta's comment");
  EXPECT_TRUE(reader_.Entry(1).FileComment().has_value());
  EXPECT_EQ(reader_.ArchiveStream(), nullptr); // closed again after loading
  EXPECT_FALSE(reader_.EndRecord().Comment().has_value());
  EXPECT_EQ(reader_.ArchiveComment(), "the archive's comment");
  EXPECT_FALSE(reader_.EndRecord().Modified);
}

TEST_F(ZipReaderReadTest, SettingCommentsMarksTheEndRecordModified) {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  useArchive(zb::archive(entries, "old"));
  reader_.OpenArchive();
  reader_.SetArchiveComment("old");
  EXPECT_FALSE(reader_.EndRecord().Modified);
  reader_.SetEntryComment(1, "beta's comment");
  EXPECT_FALSE(reader_.EndRecord().Modified);
  reader_.SetEntryComment(0, "new one");
  EXPECT_TRUE(reader_.EndRecord().Modified);
  EXPECT_EQ(reader_.EntryComment(0), "new one");
  EXPECT_EQ(reader_.Entry(0).FileCommentLength, 7);
  reader_.SetEntryComment(1, "");
  EXPECT_EQ(reader_.Entry(1).FileCommentLength, 0);
  reader_.SetArchiveComment("fresh");
  EXPECT_EQ(reader_.ArchiveComment(), "fresh");
  EXPECT_EQ(reader_.EndRecord().CommentLength, 5);
}

TEST_F(ZipReaderReadTest, IndexOutsideTheDirectoryIsAListError) {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  useArchive(zb::archive(entries));
  reader_.OpenArchive();
  for (int index : {3, -1}) {
    try {
      reader_.EntryComment(index);
      FAIL() << index;
    } catch (const EListError& e) {
      EXPECT_EQ(std::string(e.what()), "Index " + std::to_string(index) + " is out of range");
    }
  }
  EXPECT_THROW(reader_.EntryDateTime(3), EListError);
  EXPECT_THROW(reader_.SetEntryComment(3, "x"), EListError);
}

TEST_F(ZipReaderReadTest, EntryDateTimeFallsBackToNowWhenNotADate) {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  // 30 February 2020 passes the clamping but is no date.
  entries[2].dosTime = ((2020 - 1980) << 25) | (2 << 21) | (30 << 16);
  useArchive(zb::archive(entries));
  reader_.OpenArchive();
  const platform::DateTime stored = reader_.EntryDateTime(0);
  EXPECT_EQ(stored, (platform::DateTime{2021, 6, 15, 12, 30, 10}));
  const platform::DateTime now = reader_.EntryDateTime(2);
  EXPECT_GE(now.year, 2024);
}

TEST_F(ZipReaderReadTest, SortDirectoryBuildsAViewAndBack) {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  entries[0].name = "zulu.txt";
  useArchive(zb::archive(entries));
  reader_.OpenArchive();
  reader_.SortDirectory(TZipSortMode::ByFileName);
  EXPECT_EQ(reader_.SortMode, TZipSortMode::ByFileName);
  EXPECT_NE(reader_.SortedEntries(), reader_.Entries());
  EXPECT_FALSE(reader_.SortedEntries()->OwnsItems);
  EXPECT_EQ(reader_.Entry(0).FileName(), "beta.txt");
  EXPECT_EQ(reader_.Entry(2).FileName(), "zulu.txt");
  // Comments are asked by the view's index.
  EXPECT_EQ(reader_.EntryComment(0), "beta's comment");
  reader_.SortDirectory(TZipSortMode::ByNone);
  EXPECT_EQ(reader_.SortedEntries(), reader_.Entries());
  EXPECT_EQ(reader_.Entry(0).FileName(), "zulu.txt");
}

TEST_F(ZipReaderReadTest, SortModeIsAppliedWhenReading) {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  entries[1].data = std::string(5000, 'x');
  useArchive(zb::archive(entries));
  reader_.SortMode = TZipSortMode::ByUnCompressedSize;
  reader_.OpenArchive();
  EXPECT_EQ(reader_.Entry(0).FileName(), "beta.txt");
  EXPECT_EQ(reader_.Entry(2).FileName(), "gamma.bin");
}

TEST_F(ZipReaderReadTest, EmptyFileIsAnArchiveWithoutEntries) {
  useArchive("");
  reader_.OpenArchive();
  EXPECT_EQ(reader_.EntryCount(), 0);
  EXPECT_NE(reader_.Entries(), nullptr);
}

struct MissingEndCase {
  TIncompleteZipMode mode;
  const char* message;
};

class MissingEndRecordTest : public ZipReaderReadTest,
                             public ::testing::WithParamInterface<MissingEndCase> {};

TEST_P(MissingEndRecordTest, TenBytesRaiseTheModesException) {
  useArchive("0123456789");
  reader_.IncompleteZipMode = GetParam().mode;
  try {
    reader_.OpenArchive();
    FAIL() << "no exception";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), GetParam().message);
    switch (GetParam().mode) {
    case TIncompleteZipMode::izAssumeMulti:
      EXPECT_NE(dynamic_cast<const EIncompleteZip*>(&e), nullptr);
      EXPECT_EQ(reader_.ZipName(), path_);
      break;
    case TIncompleteZipMode::izAssumeNotAZip:
      EXPECT_NE(dynamic_cast<const ENotAZipFile*>(&e), nullptr);
      EXPECT_EQ(reader_.ZipName(), path_);
      break;
    case TIncompleteZipMode::izAssumeBad:
      EXPECT_NE(dynamic_cast<const EBadZipFile*>(&e), nullptr);
      EXPECT_TRUE(reader_.ZipName().empty()); // cleared with the archive
      break;
    }
  }
  EXPECT_EQ(reader_.EntryCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, MissingEndRecordTest,
    ::testing::Values(MissingEndCase{TIncompleteZipMode::izAssumeMulti, "Incomplete Zip File"},
                      MissingEndCase{TIncompleteZipMode::izAssumeNotAZip, "Not a valid zip file!"},
                      MissingEndCase{TIncompleteZipMode::izAssumeBad, "Not a valid zip file!"}));

TEST_F(ZipReaderReadTest, IncompleteZipHandlerChoosesTheMode) {
  useArchive("0123456789");
  TIncompleteZipMode seen = TIncompleteZipMode::izAssumeBad;
  reader_.OnInCompleteZip = [&](TZipReader& sender, TIncompleteZipMode& mode) {
    EXPECT_EQ(&sender, &reader_);
    seen = mode;
    mode = TIncompleteZipMode::izAssumeNotAZip;
  };
  EXPECT_THROW(reader_.OpenArchive(), ENotAZipFile);
  EXPECT_EQ(seen, TIncompleteZipMode::izAssumeMulti);
  EXPECT_EQ(reader_.IncompleteZipMode, TIncompleteZipMode::izAssumeNotAZip);
}

TEST_F(ZipReaderReadTest, MissingArchiveRaisesTheStreamsOpenError) {
  reader_.SetZipName(dir_.file("absent.zip"));
  EXPECT_THROW(reader_.OpenArchive(), platform::FileOpenError);
}

TEST_F(ZipReaderReadTest, AnEndRecordInsideTheCommentIsNotTakenForTheArchives) {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  // A false record in the comment: an archive without entries and with the comment "hi". It
  // ends the file too, but no directory ends where it begins.
  zb::End fake;
  fake.comment = "hi";
  useArchive(zb::archive(entries, "look: " + zb::endRecord(fake)));
  reader_.OpenArchive();
  EXPECT_EQ(reader_.EntryCount(), 3);
  EXPECT_EQ(reader_.ArchiveComment(), "look: " + zb::endRecord(fake));
  EXPECT_EQ(reader_.DirectoryProblem(), "");
}

// ---- The directory cache ----------------------------------------------------------------------

class ZipReaderCacheTest : public ZipReaderReadTest {
protected:
  void SetUp() override {
    entries_ = zb::sampleEntries();
    useArchive(zb::archive(entries_));
    platform::setFileDosTime(path_, zb::kSampleDosTime);
    reader_.OpenArchive();
    reader_.CloseArchive(); // Windows lets nobody change a file the reader holds
    // A mark that only an in-memory directory carries: gone when the file is read again.
    reader_.Entry(0).Mark2 = 7;
  }
  bool directoryWasReadAgain() { return reader_.Entry(0).Mark2 != 7; }

  std::vector<zb::Entry> entries_;
};

TEST_F(ZipReaderCacheTest, UnchangedFileIsReadOnce) {
  reader_.OpenArchive();
  reader_.CloseArchive();
  reader_.OpenArchive();
  EXPECT_FALSE(directoryWasReadAgain());
}

TEST_F(ZipReaderCacheTest, NewTimeMakesTheNextOpenRead) {
  ASSERT_TRUE(platform::setFileDosTime(path_, zb::kSampleDosTime + 2));
  reader_.OpenArchive();
  EXPECT_TRUE(directoryWasReadAgain());
}

TEST_F(ZipReaderCacheTest, NewContentWithTheSameTimeIsNoticedBySize) {
  reader_.CloseArchive();
  entries_.pop_back();
  test::writeFile(path_, zb::archive(entries_));
  platform::setFileDosTime(path_, zb::kSampleDosTime);
  reader_.OpenArchive();
  EXPECT_TRUE(directoryWasReadAgain());
  EXPECT_EQ(reader_.EntryCount(), 2);
}

#ifndef _WIN32
// A stream kept open across a replacement of the file still reads the old one; the new read
// must come from the file now under the name.
TEST_F(ZipReaderCacheTest, ReplacedFileIsReadThroughANewStream) {
  reader_.KeepZipOpen = true;
  reader_.OpenArchive();
  entries_.pop_back();
  const std::string replacement = dir_.file("new.zip");
  test::writeFile(replacement, zb::archive(entries_));
  ASSERT_TRUE(platform::deleteFile(path_));
  ASSERT_TRUE(platform::renameFile(replacement, path_));
  reader_.OpenArchive();
  EXPECT_EQ(reader_.EntryCount(), 2);
}
#endif

TEST_F(ZipReaderCacheTest, PendingArchiveCommentSurvivesARead) {
  reader_.SetArchiveComment("pending");
  ASSERT_TRUE(platform::setFileDosTime(path_, zb::kSampleDosTime + 4));
  reader_.OpenArchive();
  EXPECT_TRUE(directoryWasReadAgain());
  EXPECT_TRUE(reader_.EndRecord().Modified);
  EXPECT_EQ(reader_.ArchiveComment(), "pending");
  EXPECT_EQ(reader_.EndRecord().CommentLength, 7);
}

} // namespace
} // namespace larkspur::zip
