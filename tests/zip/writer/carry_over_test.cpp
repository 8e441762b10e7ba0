// Updating archives, ours and other tools': entries kept byte for byte with their comments,
// replacements at their place, and nothing already in an archive lost when a replacement fails.
#include <optional>

#include "writer_fixture.h"
#include "zip/format/zip_errors.h"
#include "zip/writer/writer_errors.h"

namespace larkspur::zip::test {
namespace {

using larkspur::test::extractWithUnzip;
using larkspur::test::hostSidePath;
using larkspur::test::runHostShell;
using larkspur::test::shellQuote;

class CarryOverTest : public WriterTest {
protected:
  // An archive made by Python's zipfile: name -> content, each dated 2020-01-01.
  void foreignArchive(const std::string& entries) {
    python("import sys, zipfile\n"
           "with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:\n"
           "  for n, c, note in " +
               entries +
               ":\n"
               "    i = zipfile.ZipInfo(n, (2020, 1, 1, 0, 0, 0)); i.comment = note.encode()\n"
               "    i.compress_type = zipfile.ZIP_DEFLATED; z.writestr(i, c)\n",
           zipName());
  }
};

TEST_F(CarryOverTest, KeptEntriesKeepTheirCommentsAndBytes) {
  foreignArchive("[('a.txt', 'alpha' * 50, 'first note'), ('b.txt', 'beta', '')]");
  const std::string c = make("c.txt", "gamma");
  EXPECT_EQ(zip({c}), 1);
  const auto entries = readEntriesWithPython(zipName());
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].comment, "first note");
  std::string alpha;
  for (int i = 0; i < 50; ++i)
    alpha += "alpha";
  EXPECT_EQ(extractWithUnzip(zipName(), "a.txt"), alpha);
  EXPECT_EQ(archiveProblems(zipName()), "");
}

TEST_F(CarryOverTest, CommentsOnLaterEntriesDoNotMisplaceTheirCopies) {
  // Loading a comment moves the archive stream into the directory between two copies.
  foreignArchive("[('a.txt', 'alpha', ''), ('b.txt', 'beta' * 40, 'second note'),"
                 " ('c.txt', 'gamma', 'third note')]");
  EXPECT_EQ(zip({make("d.txt", "delta")}), 1);
  const auto entries = readEntriesWithPython(zipName());
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[1].comment, "second note");
  EXPECT_EQ(entries[2].comment, "third note");
  EXPECT_EQ(extractWithUnzip(zipName(), "c.txt"), "gamma");
  EXPECT_EQ(archiveProblems(zipName()), "");
}

TEST_F(CarryOverTest, AnEntryStoredWithAFolderNeverMatchesABareName) {
  foreignArchive("[('x/a.txt', 'old', '')]");
  const std::string a = make("a.txt", "new", dosTime(2024, 1, 1));
  EXPECT_EQ(zip({a}), 1);
  EXPECT_EQ(names(), (std::vector<std::string>{"x/a.txt", "a.txt"}));
}

TEST_F(CarryOverTest, EntriesWithDataDescriptorsFromAStreamingWriterStayValid) {
  // Written to a pipe, Python's zipfile cannot seek back and puts descriptors after the data.
  const auto r = runHostShell(
      "python3 -c " +
      shellQuote("import sys, zipfile\n"
                 "with zipfile.ZipFile(sys.stdout.buffer, 'w', zipfile.ZIP_DEFLATED) as z:\n"
                 "  for n in ('a.txt', 'b.txt'):\n"
                 "    with z.open(n, 'w') as f: f.write(n.encode() * 1000)\n") +
      " | cat > " + shellQuote(hostSidePath(zipName())));
  ASSERT_EQ(r.exitCode, 0) << r.output;
  ASSERT_EQ(readEntriesWithPython(zipName()).at(0).flagBits & 8, 8);
  EXPECT_EQ(zip({make("c.txt", "gamma")}), 1);
  EXPECT_EQ(archiveProblems(zipName()), "");
  EXPECT_EQ(extractWithUnzip(zipName(), "b.txt").size(), 5000u);
}

TEST_F(CarryOverTest, AnEncryptedStreamedEntryStillOpensWithItsPassword) {
  // Encrypted with a data descriptor, the password check byte comes from the time, not the CRC.
  const auto r = runHostShell("printf 'secret data' | zip -q -P pw - - | cat > " +
                              shellQuote(hostSidePath(zipName())));
  ASSERT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(zip({make("c.txt", "gamma")}), 1);
  EXPECT_EQ(archiveProblems(zipName(), "pw"), "");
  EXPECT_EQ(extractWithUnzip(zipName(), "-", "pw"), "secret data");
}

TEST_F(CarryOverTest, AnArchiveWithNamesDifferingOnlyInCaseCanStillBeUpdated) {
  python("import sys, zipfile, warnings\n"
         "warnings.simplefilter('ignore')\n"
         "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
         "  for n in ('A.TXT', 'a.txt'):\n"
         "    z.writestr(zipfile.ZipInfo(n, (2020, 1, 1, 0, 0, 0)), n)\n",
         zipName());
  EXPECT_EQ(zip({make("b.txt", "beta")}), 1);
  EXPECT_EQ(names(), (std::vector<std::string>{"A.TXT", "a.txt", "b.txt"}));
  // A newer a.txt replaces the entry spelled like it, not the first of the two.
  EXPECT_EQ(zip({make("a.txt", "newest", dosTime(2024, 1, 1))}), 1);
  EXPECT_EQ(names(), (std::vector<std::string>{"A.TXT", "a.txt", "b.txt"}));
  EXPECT_EQ(extractWithUnzip(zipName(), "A.TXT"), "A.TXT");
  EXPECT_EQ(extractWithUnzip(zipName(), "a.txt"), "newest");
  EXPECT_EQ(archiveProblems(zipName()), "");
}

TEST_F(CarryOverTest, DisposeDeletesOnlyAFileWhoseContentTheArchiveHolds) {
  // Bare names: another folder's older a.txt matches the entry but is not what it holds.
  zip({make("one/a.txt", "the archived text", dosTime(2022, 1, 1))});
  const std::string same = path("one/a.txt");
  const std::string other = make("two/a.txt", "another older text", dosTime(2021, 1, 1));
  writer.SetDispose(true);
  zip({other});
  EXPECT_TRUE(platform::fileExists(other));
  zip({same});
  EXPECT_FALSE(platform::fileExists(same));
  EXPECT_EQ(extractWithUnzip(zipName(), "a.txt"), "the archived text");
}

class NothingLost : public CarryOverTest, public ::testing::WithParamInterface<const char*> {};

// The file that was to replace an entry cannot be zipped after all: the entry stays unchanged.
TEST_P(NothingLost, WhenTheReplacementCannotBeZipped) {
  const std::string how = GetParam();
  const std::string a = make("a.txt", "original", dosTime(2020, 1, 1));
  zip({a});
  make("a.txt", "replacement", dosTime(2024, 1, 1));
  std::optional<platform::File> lock;
  if (how == "vanished") {
    writer.OnRecursingFile = [](TZipWriter&, const std::string& name) {
      platform::deleteFile(name); // found by the search, gone before it is zipped
    };
  } else if (how == "locked") {
    lock = platform::File::open(a, platform::Access::Read, platform::Share::Exclusive);
    try {
      platform::File::open(a, platform::Access::Read, platform::Share::DenyNone);
      GTEST_SKIP() << "no share modes on this system";
    } catch (const Error&) {
    }
  } else {
    writer.OnStartZip = [](TZipWriter&, const std::string&, TZipHeaderInfo&, bool& skip) {
      skip = true;
    };
  }
  EXPECT_EQ(zip({src() + kSep + "*.txt"}), 0);
  EXPECT_EQ(names(), std::vector<std::string>{"a.txt"});
  EXPECT_EQ(extractWithUnzip(zipName(), "a.txt"), "original");
  EXPECT_EQ(archiveProblems(zipName()), "");
}

INSTANTIATE_TEST_SUITE_P(Replacement, NothingLost,
                         ::testing::Values("vanished", "locked", "skipped"));

// Entries whose local headers give their sizes in 64-bit fields, written to a file (sizes in
// the header) and to a pipe (sizes in 64-bit data descriptors), come through an update with
// their local headers and data byte for byte, and every reader still reads them.
class Zip64CarryOver : public CarryOverTest, public ::testing::WithParamInterface<bool> {};

TEST_P(Zip64CarryOver, EntriesWith64BitFieldsAreCarriedOverByteForByte) {
  const bool streamed = GetParam();
  const std::string write =
      "with zipfile.ZipFile(OUT, 'w', zipfile.ZIP_DEFLATED) as z:\n"
      "  for n in ('a.txt', 'b.txt'):\n"
      "    with z.open(zipfile.ZipInfo(n, (2020, 1, 1, 0, 0, 0)), 'w', force_zip64=True) as f:\n"
      "      f.write(n.encode() * 1000)\n";
  const auto r = runHostShell(
      "python3 -c " +
      shellQuote("import sys, zipfile\nOUT = " +
                 std::string(streamed ? "sys.stdout.buffer\n" : "sys.argv[1]\n") + write) +
      (streamed ? " | cat > " : " ") + shellQuote(hostSidePath(zipName())));
  ASSERT_EQ(r.exitCode, 0) << r.output;
  ASSERT_EQ(readEntriesWithPython(zipName()).size(), 2u);
  writeFile(dir.file("before.zip"), readFile(zipName()));
  EXPECT_EQ(zip({make("c.txt", "gamma")}), 1);
  EXPECT_EQ(archiveProblems(zipName()), "");
  // Each old entry's local header, extra field and data, and the 64-bit descriptor after them.
  python("import os, struct, sys, zipfile\n"
         "def raw(path, info):\n"
         "  data = open(path, 'rb').read()\n"
         "  at = info.header_offset\n"
         "  n, m = struct.unpack('<HH', data[at + 26:at + 30])\n"
         "  end = at + 30 + n + m + info.compress_size + (24 if info.flag_bits & 8 else 0)\n"
         "  blob = data[at:end]\n"
         // The copy fills a streamed entry's local CRC and sizes in from the directory.
         "  return blob[:14] + blob[26:] if info.flag_bits & 8 else blob\n"
         "old = zipfile.ZipFile(os.path.join(os.path.dirname(sys.argv[1]), 'before.zip'))\n"
         "new = zipfile.ZipFile(sys.argv[1])\n"
         "for info in old.infolist():\n"
         "  other = new.getinfo(info.filename)\n"
         "  assert raw(old.filename, info) == raw(new.filename, other), info.filename\n"
         "  assert other.extract_version == 45, other.extract_version\n",
         zipName());
}

INSTANTIATE_TEST_SUITE_P(WrittenAndStreamed, Zip64CarryOver, ::testing::Bool());

TEST_F(CarryOverTest, AFileThatIsNoArchiveIsReportedAndLeftAlone) {
  writeFile(zipName(), "this is not a zip archive at all");
  EXPECT_THROW(zip({make("b.txt", "beta")}), Error);
  EXPECT_EQ(readFile(zipName()), "this is not a zip archive at all");
  EXPECT_TRUE(tempFiles().empty());
  EXPECT_TRUE(writer.FilesList.empty());
}

} // namespace
} // namespace larkspur::zip::test
