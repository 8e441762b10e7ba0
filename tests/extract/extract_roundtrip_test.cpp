// Extraction against the outside world: archives written by our writer (every level, with a
// password, split into block files), by Info-ZIP zip, Python's zipfile and 7-Zip come back byte
// for byte; and every archive of the shared corpus that Python's zipfile reads without error
// extracts to the same bytes, Python being the oracle.
#include <map>
#include <sstream>

#include "extract_fixture.h"
#include "support/host_tools.h"
#include "support/shared_data.h"
#include "zip/writer/zip_writer.h"

namespace larkspur::extract::test {
namespace {

using larkspur::test::hostHasProgram;
using larkspur::test::hostSidePath;
using larkspur::test::incompressibleBytes;
using larkspur::test::runHostShell;
using larkspur::test::shellQuote;

// (size, CRC-32) of each file's data: a multiset both sides can compute.
using Contents = std::multiset<std::pair<std::uint64_t, std::uint32_t>>;

class RoundTrip : public ExtractTest {
protected:
  RoundTrip() {
    platform::createDirectory(src());
    std::string text;
    for (int i = 0; i < 3000; ++i)
      text += "line " + std::to_string(i * 7919 % 1000) + " of a text that deflates well\n";
    make("notes.txt", text);
    make("noise.bin", incompressibleBytes(70000, 3));
    make("empty.dat", "");
    make("sub/deeper/small.txt", "a few bytes");
  }
  std::string src() const { return dir.file("src"); }
  void make(const std::string& relative, const std::string& bytes) {
    std::string p = src();
    std::size_t start = 0;
    for (std::size_t slash; (slash = relative.find('/', start)) != std::string::npos;
         start = slash + 1) {
      p += kSep + relative.substr(start, slash - start);
      platform::createDirectory(p);
    }
    writeFile(p + kSep + relative.substr(start), bytes);
    files_[relative] = bytes;
  }
  // Every source came back under its relative name.
  void expectSources() {
    for (const auto& [name, bytes] : files_)
      EXPECT_EQ(readFile(out(name)), bytes) << name;
  }
  ExtractResult extractFrom(const std::string& archive, const std::string& password = "") {
    ExtractOptions options;
    options.targetDir = target();
    if (!password.empty())
      options.password = password;
    return extractArchive(archive, options);
  }
  // Runs a command in the source folder on the host; fails the test when it fails.
  void inSources(const std::string& command) {
    const auto r = runHostShell("cd " + shellQuote(hostSidePath(src())) + " && " + command);
    ASSERT_EQ(r.exitCode, 0) << command << "\n" << r.output;
  }
  std::string hostArchive() const { return shellQuote(hostSidePath(archive())); }

  std::map<std::string, std::string> files_;
};

struct WriterCase {
  int level;
  const char* password;
  std::int32_t blockSize; // 0: one file
};

class OurWriter : public RoundTrip, public ::testing::WithParamInterface<WriterCase> {};

TEST_P(OurWriter, ArchivesComeBackByteForByte) {
  const WriterCase& c = GetParam();
  zip::TZipWriter writer;
  writer.SetTempPath(dir.path());
  writer.SetPackLevel(c.level);
  writer.EncryptionPassword = c.password;
  writer.SetRootDir(src());
  writer.SetRelativePaths(true);
  if (c.blockSize != 0) {
    zip::TMultiZipInfo info;
    info.MultiMode = zip::TMultiMode::mmBlocks;
    info.FirstBlockSize = info.BlockSize = c.blockSize;
    writer.SetMultiZipInfo(info);
  }
  writer.SetZipName(archive());
  writer.FilesList = {src() + kSep + "*.*"};
  writer.Zip();
  const ExtractResult result = extractFrom(writer.ZipName(), c.password);
  EXPECT_TRUE(result.complete()) << result.problems.front().message;
  expectSources();
}

INSTANTIATE_TEST_SUITE_P(Settings, OurWriter,
                         ::testing::Values(WriterCase{0, "", 0}, WriterCase{1, "", 0},
                                           WriterCase{6, "", 0}, WriterCase{9, "", 0},
                                           WriterCase{9, "open sesame", 0},
                                           WriterCase{0, "open sesame", 0},
                                           WriterCase{9, "", 20000}));

TEST_F(RoundTrip, InfoZipArchivesWithAndWithoutPasswordComeBack) {
  if (!hostHasProgram("zip"))
    GTEST_SKIP() << "Info-ZIP zip is not installed";
  inSources("zip -q -r " + hostArchive() + " .");
  EXPECT_TRUE(extractFrom(archive()).complete());
  expectSources();
  larkspur::test::removeTree(target());
  platform::deleteFile(archive());

  inSources("zip -q -r -P 'pass word' " + hostArchive() + " .");
  const ExtractResult wrong = extractFrom(archive(), "guess");
  // One check byte lets a wrong password through once in 256 entries; the CRC then stops it,
  // except for an empty file, which has nothing to check.
  EXPECT_LE(wrong.filesWritten, platform::fileExists(out("empty.dat")) ? 1 : 0);
  for (const EntryProblem& p : wrong.problems)
    EXPECT_TRUE(p.reason == SkipReason::WrongPassword || p.reason == SkipReason::BadData);
  larkspur::test::removeTree(target());
  EXPECT_TRUE(extractFrom(archive(), "pass word").complete());
  expectSources();
}

TEST_F(RoundTrip, PythonAndSevenZipArchivesComeBack) {
  inSources("python3 -c 'import zipfile,os,sys\n"
            "with zipfile.ZipFile(sys.argv[1],\"w\",zipfile.ZIP_DEFLATED) as z:\n"
            " [z.write(os.path.join(d,f)) for d,_,fs in os.walk(\".\") for f in fs]' " +
            hostArchive());
  EXPECT_TRUE(extractFrom(archive()).complete());
  expectSources();
  if (!hostHasProgram("7z"))
    GTEST_SKIP() << "7z is not installed";
  larkspur::test::removeTree(target());
  platform::deleteFile(archive());
  inSources("7z a -tzip -mx=9 " + hostArchive() + " . >/dev/null");
  EXPECT_TRUE(extractFrom(archive()).complete());
  expectSources();
}

#ifndef _WIN32
// Python reads every entry of each archive; for those it reads without error, the sizes and
// CRC-32s of the data it got.
constexpr char kOracle[] = R"PY(
import sys, zipfile, zlib
for path in sys.argv[1:]:
    try:
        with zipfile.ZipFile(path) as z:
            sums = [(len(d), zlib.crc32(d)) for d in
                    (z.read(i) for i in z.infolist() if not i.is_dir())]
        print(path, len(sums), ' '.join('%d:%d' % s for s in sums))
    except Exception:
        pass
)PY";

void walkFiles(const std::string& root, Contents& out) {
  for (platform::DirectoryFind f(root + kSep + "*.*"); f.ok(); f.advance()) {
    const std::string& name = f.current().name;
    if (name == "." || name == "..")
      continue;
    const std::string path = root + kSep + name;
    if (f.current().attributes & platform::faDirectory) {
      walkFiles(path, out);
    } else {
      const std::string data = readFile(path);
      out.insert({data.size(), crcOf(data)});
    }
  }
}

// Where the reader itself parts from Python (ZIP64 is not read, and the end record nearest the
// end of the file is taken even inside a comment), the comparison is moot.
bool readerDiffers(const std::string& path, const std::string& error) {
  return error.find("64-bit zip extensions") != std::string::npos ||
         path.find("in-archive-comment") != std::string::npos;
}

// The MANIFEST's verdict of each corpus file ("valid", "damaged ...", "not a zip").
std::map<std::string, std::string> corpusVerdicts() {
  std::map<std::string, std::string> verdicts;
  std::istringstream lines(readFile(larkspur::test::sharedPath("corpora/zips/MANIFEST.tsv")));
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string file, bytes, exercises, expected;
    std::getline(fields, file, '\t');
    std::getline(fields, bytes, '\t');
    std::getline(fields, exercises, '\t');
    std::getline(fields, expected, '\t');
    verdicts["./" + file] = expected;
  }
  return verdicts;
}

TEST_F(ExtractTest, TheCorpusExtractsToWhatPythonReads) {
  const auto r =
      runHostShell("cd " + shellQuote(larkspur::test::sharedPath("corpora/zips")) +
                   " && python3 -c " + shellQuote(kOracle) + " $(find . -name '*.zip' | sort)");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  const auto verdicts = corpusVerdicts();
  std::istringstream lines(r.output);
  int compared = 0;
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string path;
    std::size_t count = 0;
    fields >> path >> count;
    Contents expected;
    for (std::string pair; fields >> pair;) {
      const auto colon = pair.find(':');
      expected.insert({std::stoull(pair.substr(0, colon)),
                       static_cast<std::uint32_t>(std::stoull(pair.substr(colon + 1)))});
    }
    // Python is lenient with damaged archives (it checks no sizes); we report those entries.
    const auto verdict = verdicts.find(path);
    const bool damaged = verdict != verdicts.end() && verdict->second.rfind("damaged", 0) == 0;
    larkspur::test::removeTree(target());
    ExtractOptions options;
    options.targetDir = target();
    options.overwrite = OverwritePolicy::Rename; // duplicate names keep both copies
    options.flushFiles = false;
    ExtractResult result;
    try {
      result =
          extractArchive(larkspur::test::sharedPath("corpora/zips/" + path.substr(2)), options);
    } catch (const Error& e) {
      if (!damaged && !readerDiffers(path, e.what()))
        ADD_FAILURE() << path << ": " << e.what();
      continue;
    }
    if (readerDiffers(path, ""))
      continue;
    Contents got;
    walkFiles(target(), got);
    // Entries left out for their names, their size or a file/folder clash may be missing.
    std::size_t excused = 0;
    for (const EntryProblem& p : result.problems) {
      if (p.reason == SkipReason::UnsafeName || p.reason == SkipReason::Unsupported ||
          p.reason == SkipReason::NotAFolder || (damaged && p.reason == SkipReason::BadData)) {
        ++excused;
      } else {
        ADD_FAILURE() << path << ": " << p.entry << ": " << p.message;
      }
    }
    Contents missing, extra;
    std::set_difference(expected.begin(), expected.end(), got.begin(), got.end(),
                        std::inserter(missing, missing.end()));
    std::set_difference(got.begin(), got.end(), expected.begin(), expected.end(),
                        std::inserter(extra, extra.end()));
    EXPECT_TRUE(extra.empty()) << path;
    if (!damaged) {
      EXPECT_LE(missing.size(), excused) << path;
    }
    ++compared;
  }
  EXPECT_GT(compared, 100);
}
#endif

} // namespace
} // namespace larkspur::extract::test
