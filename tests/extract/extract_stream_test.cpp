// gzip and tar through the engine: Python's tarfile and gzip write the archives, hostile names
// and links included; the same safety rules hold as for ZIP, and a damaged stream ends the run
// with the entry it was reading left out.
#include "extract_fixture.h"
#include "support/host_tools.h"

namespace larkspur::extract::test {
namespace {

using larkspur::test::hostSidePath;
using larkspur::test::runHostShell;
using larkspur::test::shellQuote;

// Writes dir/a.tar.gz (a file, a folder, a link and an escaping name) and dir/b.txt.gz.
constexpr char kMaker[] = R"PY(
import gzip, io, sys, tarfile
d = sys.argv[1]
with tarfile.open(d + '/a.tar.gz', 'w:gz') as t:
    def add(name, data=b'', kind=tarfile.REGTYPE, link=''):
        i = tarfile.TarInfo(name); i.type = kind; i.size = len(data); i.linkname = link
        i.mtime = 1700000000; i.mode = 0o640
        t.addfile(i, io.BytesIO(data))
    add('dir/', kind=tarfile.DIRTYPE)
    add('dir/inside.txt', b'tar data')
    add('../escaped.txt', b'x')
    add('dir/link', kind=tarfile.SYMTYPE, link='/etc/passwd')
    add('x' * 150 + '/long.txt', b'long name')
    add('\u4e2d\u6587/pax.txt', b'p')  # a pax header carries the UTF-8 name
with tarfile.open(d + '/gnu.tar', 'w', format=tarfile.GNU_FORMAT) as t:
    i = tarfile.TarInfo('\u4e2d\u6587.txt'); i.size = 1
    t.addfile(i, io.BytesIO(b'g'))  # the UTF-8 name in the header itself
with gzip.open(d + '/b.txt.gz', 'wb') as g:
    g.write(b'gzip data' * 1000)
)PY";

class StreamExtract : public ExtractTest {
protected:
  void SetUp() override {
    const auto r = runHostShell("python3 -c " + shellQuote(kMaker) + " " +
                                shellQuote(hostSidePath(dir.path())));
    ASSERT_EQ(r.exitCode, 0) << r.output;
  }
  ExtractResult extract(const std::string& name) {
    ExtractOptions options;
    options.targetDir = target();
    return extractArchive(dir.file(name), options);
  }
};

TEST_F(StreamExtract, TarGzipExtractsFilesAndLeavesOutLinksAndEscapingNames) {
  const ExtractResult result = extract("a.tar.gz");
  EXPECT_EQ(reasons(result), (std::vector{SkipReason::UnsafeName, SkipReason::Unsupported}));
  EXPECT_EQ(readFile(out("dir/inside.txt")), "tar data");
  EXPECT_EQ(readFile(out(std::string(150, 'x') + "/long.txt")), "long name");
  EXPECT_EQ(sandbox().count("escaped.txt"), 0u);
  EXPECT_EQ(platform::fileDosTime(out("dir/inside.txt")), platform::dosTimeFromTimeT(1700000000));
}

// A tar made on Linux names its files in UTF-8: on Windows (code page 936) they arrive in GBK.
TEST_F(StreamExtract, Utf8TarNamesKeepTheirCharacters) {
#ifdef _WIN32
  const std::string chinese = "\xD6\xD0\xCE\xC4";
#else
  const std::string chinese = "\xE4\xB8\xAD\xE6\x96\x87";
#endif
  extract("a.tar.gz");
  EXPECT_TRUE(extract("gnu.tar").complete());
  EXPECT_EQ(readFile(out(chinese + "/pax.txt")), "p");
  EXPECT_EQ(readFile(out(chinese + ".txt")), "g");
}

TEST_F(StreamExtract, AGzipFileExtractsUnderItsOwnName) {
  EXPECT_TRUE(extract("b.txt.gz").complete());
  std::string expected;
  for (int i = 0; i < 1000; ++i)
    expected += "gzip data";
  EXPECT_EQ(readFile(out("b.txt")), expected);
}

TEST_F(StreamExtract, ACutStreamLeavesOutTheEntryItWasReading) {
  const std::string whole = readFile(dir.file("b.txt.gz"));
  writeFile(dir.file("cut.gz"), whole.substr(0, whole.size() / 2));
  const ExtractResult result = extract("cut.gz");
  EXPECT_EQ(reasons(result), std::vector{SkipReason::BadData});
  EXPECT_TRUE(targetFiles().empty());
}

} // namespace
} // namespace larkspur::extract::test
