// Archives past the classic limits, made small by lowering the limits: an archive in one file
// writes exactly the fields that pass them as 64-bit fields (and version 4.5 for those entries
// only), every peer reads it, an update keeps its entries byte for byte, and a file that grows
// past the limit without room in its header is refused. A split archive refuses what passes.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "support/host_tools.h"
#include "writer_fixture.h"
#include "zip/format/zip_reader.h"
#include "zip/writer/block_output.h"
#include "zip/writer/writer_errors.h"
#include "zip/writer/writer_texts.h"

namespace larkspur::zip::test {
namespace {

using larkspur::test::incompressibleBytes;
using larkspur::test::runHostShell;
using larkspur::test::shellQuote;

constexpr std::uint64_t kSizeLimit = 4096;
constexpr std::uint64_t kEntryLimit = 4;

// Per entry: where Python finds 64-bit fields, and what it reads.
struct Seen {
  bool localZip64 = false;   // the local header has the 64-bit sizes field
  bool centralZip64 = false; // the central header has a 64-bit field
  int extractVersion = 0;
  std::uint64_t size = 0, offset = 0;
};

// Each entry as Python reads it, and whether the archive has a 64-bit end record.
std::map<std::string, Seen> inspect(const std::string& archive, bool& zip64End) {
  const auto r = runHostShell("python3 -c " + shellQuote(R"PY(
import struct, sys, zipfile
data = open(sys.argv[1], 'rb').read()
def has64(extra):
    while len(extra) >= 4:
        tag, n = struct.unpack('<HH', extra[:4])
        if tag == 1:
            return 1
        extra = extra[4 + n:]
    return 0
z = zipfile.ZipFile(sys.argv[1])
print('end64', int(data.rfind(b'PK\x06\x07') >= 0))
for i in z.infolist():
    at = i.header_offset
    n, m = struct.unpack('<HH', data[at + 26:at + 30])
    local = has64(data[at + 30 + n:at + 30 + n + m])
    print(i.filename, local, has64(i.extra), i.extract_version, i.file_size, i.header_offset)
)PY") + " " + shellQuote(larkspur::test::hostSidePath(archive)));
  EXPECT_EQ(r.exitCode, 0) << r.output;
  std::istringstream lines(r.output);
  std::string word;
  int end = 0;
  lines >> word >> end;
  zip64End = end != 0;
  std::map<std::string, Seen> seen;
  std::string name;
  while (lines >> name) {
    Seen& s = seen[name];
    lines >> s.localZip64 >> s.centralZip64 >> s.extractVersion >> s.size >> s.offset;
  }
  return seen;
}

class Zip64Writer : public WriterTest {
protected:
  Zip64Writer() { writer.SetLimits({kSizeLimit, kEntryLimit}); }

  // Our reader's sizes and offsets agree with Python's.
  void expectOurReaderAgrees(const std::map<std::string, Seen>& seen) {
    TZipReader reader;
    reader.SetZipName(zipName());
    reader.OpenArchive();
    ASSERT_EQ(static_cast<std::size_t>(reader.EntryCount()), seen.size());
    EXPECT_EQ(reader.DirectoryProblem(), "");
    for (int i = 0; i < reader.EntryCount(); ++i) {
      const TZipHeaderInfo& e = reader.Entry(i);
      const Seen& python = seen.at(e.FileName());
      EXPECT_EQ(e.Size(), python.size) << e.FileName();
      EXPECT_EQ(e.HeaderOffset(), python.offset) << e.FileName();
    }
  }
};

struct Zip64Case {
  const char* what;
  int level;
  std::vector<std::pair<std::string, std::size_t>> files; // name, incompressible bytes
  // Entries expected with 64-bit fields in their local and central headers.
  std::vector<std::string> localZip64, centralZip64;
  bool zip64End;
};

class Zip64Layouts : public Zip64Writer, public ::testing::WithParamInterface<Zip64Case> {};

TEST_P(Zip64Layouts, OnlyWhatPassesTheLimitsIsWrittenIn64BitFields) {
  const Zip64Case& c = GetParam();
  writer.SetPackLevel(c.level);
  std::vector<std::string> files;
  unsigned seed = 1;
  for (const auto& [name, size] : c.files)
    files.push_back(make(name, incompressibleBytes(size, seed++)));
  ASSERT_EQ(zip(files), static_cast<std::int32_t>(files.size()));
  EXPECT_EQ(archiveProblems(zipName()), "");

  bool zip64End = false;
  const auto seen = inspect(zipName(), zip64End);
  EXPECT_EQ(zip64End, c.zip64End);
  for (const auto& [name, size] : c.files) {
    const Seen& s = seen.at(name);
    const auto listed = [&](const std::vector<std::string>& names) {
      return std::find(names.begin(), names.end(), name) != names.end();
    };
    EXPECT_EQ(s.localZip64, listed(c.localZip64)) << name;
    EXPECT_EQ(s.centralZip64, listed(c.centralZip64)) << name;
    EXPECT_EQ(s.extractVersion, listed(c.localZip64) || listed(c.centralZip64) ? 45 : 20) << name;
    EXPECT_EQ(s.size, size) << name;
    EXPECT_EQ(readFile(path(name)), larkspur::test::extractWithUnzip(zipName(), name)) << name;
  }
  expectOurReaderAgrees(seen);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Zip64Layouts,
    ::testing::Values(
        // Stored or deflated, a file whose size passes the limit has both sizes in its local
        // header; its central header has the size that passes, and the directory lies past it.
        Zip64Case{"large_file_deflated",
                  9,
                  {{"a.txt", 10}, {"big.bin", 6000}},
                  {"big.bin"},
                  {"big.bin"},
                  true},
        Zip64Case{"large_file_stored",
                  0,
                  {{"a.txt", 10}, {"big.bin", 6000}},
                  {"big.bin"},
                  {"big.bin"},
                  true},
        // Within 1/256 of the limit the local field is reserved; the sizes fit after all.
        Zip64Case{"near_the_limit", 0, {{"near.bin", kSizeLimit - 10}}, {"near.bin"}, {}, true},
        // Only the third entry starts past the limit: its offset alone is 64-bit.
        Zip64Case{"offsets",
                  0,
                  {{"f1.bin", 3000}, {"f2.bin", 3000}, {"f3.bin", 10}},
                  {},
                  {"f3.bin"},
                  true},
        // More entries than the count holds: the 64-bit end record, nothing else.
        Zip64Case{"count", 0, {{"a", 1}, {"b", 1}, {"c", 1}, {"d", 1}, {"e", 1}}, {}, {}, true},
        Zip64Case{"classic", 0, {{"a", 1}, {"b", 1}, {"c", 1}}, {}, {}, false}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(Zip64Writer, AnUpdateKeepsEveryEntryByteForByte) {
  zip({make("f1.bin", incompressibleBytes(3000, 1)), make("big.bin", incompressibleBytes(6000, 2)),
       make("f3.bin", incompressibleBytes(10, 3))});
  writeFile(dir.file("before.zip"), readFile(zipName()));
  EXPECT_EQ(zip({make("new.txt", "one more")}), 1);
  EXPECT_EQ(archiveProblems(zipName()), "");
  python("import os, struct, sys, zipfile\n"
         "def raw(z, info):\n"
         "  data = open(z.filename, 'rb').read()\n"
         "  at = info.header_offset\n"
         "  n, m = struct.unpack('<HH', data[at + 26:at + 30])\n"
         "  return data[at:at + 30 + n + m + info.compress_size]\n"
         "old = zipfile.ZipFile(os.path.join(os.path.dirname(sys.argv[1]), 'before.zip'))\n"
         "new = zipfile.ZipFile(sys.argv[1])\n"
         "assert len(new.infolist()) == 4\n"
         "for info in old.infolist():\n"
         "  other = new.getinfo(info.filename)\n"
         "  assert raw(old, info) == raw(new, other), info.filename\n"
         "  assert (info.CRC, info.file_size, info.extract_version) == "
         "(other.CRC, other.file_size, other.extract_version), info.filename\n",
         zipName());
}

TEST_F(Zip64Writer, AFileThatGrowsPastTheLimitWithoutRoomIsRefused) {
  // Small at open, so its local header has no 64-bit field; it then doubles while read.
  const std::string grower = make("grows.bin", incompressibleBytes(3000, 4));
  bool grown = false;
  writer.OnFilePercentDone = [&](TZipReader&, int) {
    if (grown)
      return;
    grown = true;
    auto h = platform::File::open(grower, platform::Access::ReadWrite, platform::Share::DenyNone);
    h.seek(0, platform::SeekOrigin::End);
    const std::string more = incompressibleBytes(3000, 5);
    h.write(more.data(), static_cast<std::int64_t>(more.size()));
  };
  writer.SetPackLevel(0);
  try {
    zip({grower});
    FAIL() << "a file that grew past the limit was written";
  } catch (const EZipLimit& e) {
    EXPECT_EQ(std::string(e.what()), writer_text::kFileGrewPastLimit + std::string("grows.bin"));
  }
  EXPECT_FALSE(platform::fileExists(zipName()));
  EXPECT_TRUE(tempFiles().empty());
}

// ---- Split archives keep to the classic limits ----------------------------------------------

class SplitLimits : public Zip64Writer {
protected:
  SplitLimits() {
    TMultiZipInfo info;
    info.MultiMode = TMultiMode::mmBlocks;
    info.FirstBlockSize = 100000;
    info.BlockSize = 100000;
    writer.SetMultiZipInfo(info);
  }
  bool anyBlock() const { return platform::fileExists(NumberedName(zipName(), 1)); }
};

TEST_F(SplitLimits, AFileAtTheLimitIsRefusedBeforeAnythingIsWritten) {
  const std::string big = make("big.bin", incompressibleBytes(kSizeLimit, 6));
  try {
    zip({make("a.txt", "a"), big});
    FAIL() << "a split archive took a file past its limit";
  } catch (const EZipLimit& e) {
    EXPECT_EQ(e.what(), writer_text::kFileTooLarge + big);
  }
  EXPECT_FALSE(anyBlock());
}

TEST_F(SplitLimits, MoreEntriesThanTheCountHoldsAreRefused) {
  std::vector<std::string> files;
  for (const char* name : {"a", "b", "c", "d", "e"})
    files.push_back(make(name, name));
  try {
    zip(files);
    FAIL() << "a split archive took more entries than its count holds";
  } catch (const EZipLimit& e) {
    EXPECT_EQ(std::string(e.what()), writer_text::kTooManyEntries);
  }
  EXPECT_FALSE(anyBlock());
}

} // namespace
} // namespace larkspur::zip::test
