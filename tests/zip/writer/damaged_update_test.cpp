// Updating an archive whose directory or local headers are damaged: the update stops with a
// message naming what is wrong, the archive stays byte for byte as it was and nothing is left
// beside it, instead of an archive that silently lacks entries or holds wrong ones.
#include "writer_fixture.h"
#include "zip/format/zip_errors.h"
#include "zip/writer/writer_errors.h"

namespace larkspur::zip::test {
namespace {

using larkspur::test::hostSidePath;
using larkspur::test::runHostShell;
using larkspur::test::shellQuote;

class DamagedUpdateTest : public WriterTest {
protected:
  // An archive of six entries made by Info-ZIP zip, each 1000 incompressible bytes.
  void infoZipArchive() {
    for (int i = 0; i < 6; ++i)
      make("f" + std::to_string(i), larkspur::test::incompressibleBytes(1000, 7u + i));
    const auto r = runHostShell("cd " + shellQuote(hostSidePath(src())) + " && zip -q -X " +
                                shellQuote(hostSidePath(zipName())) + " f0 f1 f2 f3 f4 f5");
    ASSERT_EQ(r.exitCode, 0) << r.output;
  }

  // Python's zipfile, three entries a.txt, b.txt, c.txt.
  void pythonArchive() {
    python("import sys, zipfile\n"
           "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
           "  for n in ('a.txt', 'b.txt', 'c.txt'):\n"
           "    z.writestr(zipfile.ZipInfo(n, (2020, 1, 1, 0, 0, 0)), n * 20)\n",
           zipName());
  }

  // Runs an update that must be refused; the message must contain `expected`.
  void expectRefused(const std::string& expected) {
    const std::string before = readFile(zipName());
    const std::string added = make("new.txt", "new");
    try {
      zip({added});
      ADD_FAILURE() << "the update was not refused";
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(expected), std::string::npos) << e.what();
    }
    EXPECT_EQ(readFile(zipName()), before);
    EXPECT_TRUE(tempFiles().empty());
    std::vector<std::string> beside;
    for (platform::DirectoryFind f(dir.path() + kSep + "*.*"); f.ok(); f.advance())
      beside.push_back(f.current().name);
    EXPECT_EQ(beside, (std::vector<std::string>{".", "..", "out.zip", "src", "tmp"}));
  }
};

TEST_F(DamagedUpdateTest, BytesCutFromAnEntryStopTheUpdate) {
  infoZipArchive();
  // 100 bytes out of the middle of f1's data: every later offset is off, and the directory too.
  python("import sys, zipfile\n"
         "i = zipfile.ZipFile(sys.argv[1]).getinfo('f1')\n"
         "b = open(sys.argv[1], 'rb').read()\n"
         "at = i.header_offset + 30 + len(i.filename) + len(i.extra) + 400\n"
         "open(sys.argv[1], 'wb').write(b[:at] + b[at + 100:])\n",
         zipName());
  expectRefused("rebuilt from the local headers");
}

TEST_F(DamagedUpdateTest, TwoCentralHeadersOnOneLocalHeaderStopTheUpdate) {
  pythonArchive();
  // c.txt's central header now points at b.txt's local header.
  python("import sys, struct, zipfile\n"
         "z = zipfile.ZipFile(sys.argv[1]); b_at = z.getinfo('b.txt').header_offset\n"
         "b = bytearray(open(sys.argv[1], 'rb').read())\n"
         "c = b.rfind(b'PK\\x01\\x02')\n"
         "b[c + 42:c + 46] = struct.pack('<I', b_at)\n"
         "open(sys.argv[1], 'wb').write(b)\n",
         zipName());
  expectRefused("rebuilt from the local headers");
}

struct LocalDefect {
  const char* what;
  const char* patch;   // Python statements on `b` (the bytes), `o` (b.txt's local header)
  const char* message; // a part of the refusal's text
};

class LocalHeaderDefectTest : public DamagedUpdateTest,
                              public ::testing::WithParamInterface<LocalDefect> {};

TEST_P(LocalHeaderDefectTest, StopsTheUpdateNamingTheEntry) {
  pythonArchive();
  python(std::string("import sys, struct, zipfile\n"
                     "o = zipfile.ZipFile(sys.argv[1]).getinfo('b.txt').header_offset\n"
                     "b = bytearray(open(sys.argv[1], 'rb').read())\n") +
             GetParam().patch + "\nopen(sys.argv[1], 'wb').write(b)\n",
         zipName());
  expectRefused(std::string("b.txt") + GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Defects, LocalHeaderDefectTest,
    ::testing::Values(
        LocalDefect{"Signature", "b[o + 3] = 0", "\": no local header at offset"},
        LocalDefect{"Name", "b[o + 30] = ord('x')", "\": its local header names \"x.txt\""},
        LocalDefect{"CompressedSize", "b[o + 18] ^= 1", "\": its local header gives other sizes"},
        LocalDefect{"UncompressedSize", "b[o + 22] ^= 4", "\": its local header gives other sizes"},
        LocalDefect{"ExtraLengthRunsIntoTheNextEntry", "b[o + 29] = 1",
                    "\": its data overlaps the next entry"}),
    [](const auto& info) { return std::string(info.param.what); });

} // namespace
} // namespace larkspur::zip::test
