// One entry as other readers see it: header fields per level, stored and empty files, the
// no-compression list, progress events, directories and stored paths, encryption, and data that
// is exactly what the compressor makes of the file.
#include <cstring>
#include <optional>

#include "deflate/deflate.h"
#include "support/shared_data.h"
#include "writer_fixture.h"

namespace larkspur::zip::test {
namespace {

using larkspur::test::CheckedEntry;
using larkspur::test::extractWithUnzip;

// The raw data of entry `index` of an archive, located through its local header.
std::string rawData(const std::string& archive, const CheckedEntry& e) {
  const std::string bytes = readFile(archive);
  const std::size_t at = e.headerOffset;
  const auto u16 = [&](std::size_t i) {
    return static_cast<std::size_t>(static_cast<unsigned char>(bytes[i]) |
                                    (static_cast<unsigned char>(bytes[i + 1]) << 8));
  };
  const std::size_t start = at + 30 + u16(at + 26) + u16(at + 28);
  return bytes.substr(start, e.compressedSize);
}

// The compressor run over `data` in memory, as the writer's own seam drives it.
std::string deflateInMemory(const std::string& data, int level) {
  struct Io final : deflate::TDeflateIo {
    const std::string& in;
    std::size_t at = 0;
    std::string out;
    explicit Io(const std::string& s) : in(s) {}
    std::uint32_t read(std::uint8_t* d, std::uint32_t n) override {
      const std::size_t take = std::min<std::size_t>(n, in.size() - at);
      std::memcpy(d, in.data() + at, take);
      at += take;
      return static_cast<std::uint32_t>(take);
    }
    void write(const std::uint8_t* b, std::uint32_t n) override {
      out.append(reinterpret_cast<const char*>(b), n);
    }
  } io(data);
  deflate::TDeflateBuffers buffers;
  deflate::deflate_entry(buffers, level, io);
  return io.out;
}

// What `deflate_bench --raw` writes for the file at the level: the compressor run from outside
// the writer. Where the bench program is not built (or cannot run), the in-memory run stands in.
std::string deflateBenchRaw(const std::string& file, int level) {
#ifndef _WIN32
  const std::string bench = std::string(LARKSPUR_BINARY_DIR) + "/bench/deflate_bench";
  if (platform::fileExists(bench)) {
    larkspur::test::TempDir out;
    const auto r = larkspur::test::runHostShell(bench + " --raw " + std::to_string(level) + " " +
                                                larkspur::test::shellQuote(file) + " " +
                                                larkspur::test::shellQuote(out.file("raw")));
    if (r.exitCode == 0)
      return readFile(out.file("raw"));
    ADD_FAILURE() << "deflate_bench --raw failed: " << r.output;
    return {};
  }
#endif
  return deflateInMemory(readFile(file), level);
}

// How a full path is stored with StorePaths on and StoreVolumes off: no drive, no leading
// separator, "/" between the names.
std::string storedForm(std::string p) {
  if (p.size() > 1 && p[1] == ':')
    p.erase(0, 2);
  if (!p.empty() && p[0] == kSep)
    p.erase(0, 1);
  for (char& c : p) {
    if (c == kSep)
      c = '/';
  }
  return p;
}

std::string textOf(std::size_t size) {
  std::string s;
  for (std::size_t i = 0; s.size() < size; ++i)
    s += "line " + std::to_string(i % 97) + " of text\n";
  s.resize(size);
  return s;
}

class EntryWriterTest : public WriterTest {};

// The "made by" host: MS-DOS on Windows, Unix on POSIX (which adds the mode).
#ifdef _WIN32
constexpr int kHostSystem = 0;
#else
constexpr int kHostSystem = 3;
#endif

class HeaderFields : public EntryWriterTest, public ::testing::WithParamInterface<int> {};

TEST_P(HeaderFields, AreWhatAnotherReaderExpects) {
  const int level = GetParam();
  const std::uint32_t when = dosTime(2022, 7, 14, 9, 41, 36);
  const std::string text = make("text.txt", textOf(50000), when);
  std::string binary(40000, '\0');
  for (std::size_t i = 0; i < binary.size(); ++i)
    binary[i] = static_cast<char>((i * 7919) >> 3);
  make("binary.bin", binary, when);
  writer.SetPackLevel(level);
  zip({text, path("binary.bin")});
  EXPECT_EQ(archiveProblems(zipName()), "");
  const auto entries = readEntriesWithPython(zipName());
  ASSERT_EQ(entries.size(), 2u);
  for (const CheckedEntry& e : entries) {
    SCOPED_TRACE(e.name);
    EXPECT_EQ(e.createVersion, 20);
    EXPECT_EQ(e.createSystem, kHostSystem);
    EXPECT_EQ(e.extractVersion, 20);
    EXPECT_EQ(e.externalAttributes & 0xFFFF,
              static_cast<std::uint32_t>(platform::fileAttributes(path(e.name))));
    EXPECT_EQ(std::vector<int>({e.year, e.month, e.day, e.hour, e.minute, e.second}),
              std::vector<int>({2022, 7, 14, 9, 41, 36}));
    if (level == 0) {
      EXPECT_EQ(e.compressType, 0);
      EXPECT_EQ(e.flagBits, 0);
      EXPECT_EQ(e.internalAttributes, 0);
      EXPECT_EQ(e.compressedSize, e.fileSize);
    } else {
      EXPECT_EQ(e.compressType, 8);
      EXPECT_EQ(e.flagBits, level >= 8 ? 2 : level <= 2 ? 4 : 0);
      EXPECT_EQ(e.internalAttributes, e.name == "text.txt" ? 1 : 0);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Levels, HeaderFields, ::testing::Values(0, 1, 2, 3, 6, 8, 9));

TEST_F(EntryWriterTest, AnEmptyFileAtLevel9IsStoredWithTheCompressorsFlags) {
  const std::string f = make("empty.txt", "");
  int percentEvents = 0;
  writer.OnFilePercentDone = [&](TZipReader&, int) { ++percentEvents; };
  writer.SetPackLevel(9);
  zip({f});
  const auto e = readEntriesWithPython(zipName()).at(0);
  EXPECT_EQ(e.fileSize, 0u);
  EXPECT_EQ(e.compressedSize, 0u);
  EXPECT_EQ(e.crc, 0u);
  EXPECT_EQ(e.compressType, 0);
  EXPECT_EQ(e.flagBits, 2);
  EXPECT_EQ(e.internalAttributes, 1);
  EXPECT_EQ(percentEvents, 0);
  EXPECT_EQ(archiveProblems(zipName()), "");
}

TEST_F(EntryWriterTest, NamesOnTheNoCompressListAreStoredEvenAtLevel9) {
  const std::string jpg = make("photo.JPG", textOf(20000));
  const std::string txt = make("notes.txt", textOf(20000));
  writer.SetPackLevel(9);
  writer.SetNoCompressList({"*.jpg"});
  zip({jpg, txt});
  const auto entries = readEntriesWithPython(zipName());
  EXPECT_EQ(entries.at(0).compressType, 0);
  EXPECT_EQ(entries.at(0).compressedSize, 20000u);
  EXPECT_EQ(entries.at(1).compressType, 8);
  EXPECT_EQ(archiveProblems(zipName()), "");
}

TEST_F(EntryWriterTest, AStoredFileOfOneBlockReportsOneHundredPercentOnce) {
  const std::string f = make("block.bin", std::string(32768, 'x'));
  std::vector<int> percents;
  writer.OnFilePercentDone = [&](TZipReader&, int p) { percents.push_back(p); };
  writer.SetPackLevel(0);
  zip({f});
  EXPECT_EQ(percents, std::vector<int>{100});
}

TEST_F(EntryWriterTest, ProgressCoversTheWholeFileAndTheWholeOperation) {
  const std::string a = make("a.bin", std::string(100000, 'a'));
  const std::string b = make("b.bin", std::string(100000, 'b'));
  std::vector<int> file, total;
  writer.OnFilePercentDone = [&](TZipReader&, int p) { file.push_back(p); };
  writer.OnTotalPercentDone = [&](TZipReader&, int p) { total.push_back(p); };
  writer.SetPackLevel(0);
  zip({a, b});
  EXPECT_EQ(file, (std::vector<int>{33, 66, 98, 100, 33, 66, 98, 100}));
  EXPECT_EQ(total, (std::vector<int>{16, 33, 49, 50, 66, 83, 99, 100}));
}

TEST_F(EntryWriterTest, DeflatedDataIsExactlyWhatTheCompressorMakesOfEachFile) {
  std::vector<std::string> files;
  for (const char* name :
       {"text/pi.txt", "xml/cldr41-supplemental/plurals.xml", "database/GeoIP.dat"}) {
    files.push_back(larkspur::test::sharedPath(std::string("corpora/bench/") + name));
  }
  for (const int level : {1, 6, 9}) {
    SCOPED_TRACE(level);
    std::remove(zipName().c_str());
    writer.SetPackLevel(level);
    zip(files);
    const auto entries = readEntriesWithPython(zipName());
    ASSERT_EQ(entries.size(), files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
      const std::string data = rawData(zipName(), entries[i]);
      EXPECT_EQ(data, deflateInMemory(readFile(files[i]), level)) << files[i];
      EXPECT_EQ(data, deflateBenchRaw(files[i], level)) << files[i];
    }
  }
  EXPECT_EQ(archiveProblems(zipName()), "");
}

TEST_F(EntryWriterTest, StoredDirectoriesFollowThePathSettings) {
  const std::string f = make("x/sub/a.txt", "alpha");
  writer.SetStorePaths(false);
  zip({f});
  EXPECT_EQ(names(), std::vector<std::string>{"a.txt"});

  std::remove(zipName().c_str());
  writer.SetStorePaths(true);
  zip({f});
  EXPECT_EQ(names(), std::vector<std::string>{storedForm(f)});

  std::remove(zipName().c_str());
  writer.SetRootDir(path("x"));
  writer.SetRelativePaths(true);
  zip({f});
  EXPECT_EQ(names(), std::vector<std::string>{"sub/a.txt"});
  EXPECT_EQ(archiveProblems(zipName()), "");
}

TEST_F(EntryWriterTest, ADirectoryEntryHasNoDataAndTheFolderTime) {
  make("d/inside.txt", "x");
  platform::setFileDosTime(path("d"), dosTime(2019, 3, 4, 5, 6, 8));
  writer.SetRelativePaths(true);
  writer.SetRootDir(src());
  EXPECT_EQ(zip({path("d") + kSep}), 1);
  const auto e = readEntriesWithPython(zipName()).at(0);
  EXPECT_EQ(e.name, "d/");
  EXPECT_EQ(e.compressType, 0);
  EXPECT_EQ(e.fileSize, 0u);
  EXPECT_EQ(e.crc, 0u);
  EXPECT_EQ(e.externalAttributes & 0xFFFF, 0x20u);
  EXPECT_EQ(std::vector<int>({e.year, e.month, e.day, e.hour, e.minute, e.second}),
            std::vector<int>({2019, 3, 4, 5, 6, 8}));
  EXPECT_EQ(archiveProblems(zipName()), "");
}

TEST_F(EntryWriterTest, ADirectoryEntryThatWouldHaveNoNameIsLeftOut) {
  platform::createDirectory(path("d"));
  const std::string f = make("a.txt", "alpha");
  EXPECT_EQ(zip({path("d") + kSep, f}), 1);
  EXPECT_EQ(names(), std::vector<std::string>{"a.txt"});
}

TEST_F(EntryWriterTest, StartZipMaySkipAFileOrRenameItsEntry) {
  const std::string a = make("a.txt", "alpha");
  const std::string b = make("b.txt", "beta");
  writer.OnStartZip = [&](TZipWriter&, const std::string& name, TZipHeaderInfo& header,
                          bool& skip) {
    if (name == a)
      skip = true;
    if (name == b)
      header.SetFileName("renamed.txt");
  };
  EXPECT_EQ(zip({a, b}), 1);
  EXPECT_EQ(names(), std::vector<std::string>{"renamed.txt"});
  EXPECT_EQ(extractWithUnzip(zipName(), "renamed.txt"), "beta");
}

// Whether this system keeps others out of a file opened exclusively (Windows does; POSIX has no
// share modes, and root opens any file whatever its permissions).
bool exclusiveOpensLockOthersOut(const std::string& file) {
  auto held = platform::File::open(file, platform::Access::Read, platform::Share::Exclusive);
  try {
    platform::File::open(file, platform::Access::Read, platform::Share::DenyNone);
    return false;
  } catch (const Error&) {
    return true;
  }
}

TEST_F(EntryWriterTest, ALockedFileIsReportedAndRetriedAsTheHandlerAsks) {
  const std::string locked = make("locked.txt", "locked");
  const std::string other = make("other.txt", "other");
  if (!exclusiveOpensLockOthersOut(locked))
    GTEST_SKIP() << "no share modes on this system";
  std::optional<platform::File> lock =
      platform::File::open(locked, platform::Access::Read, platform::Share::Exclusive);
  int asked = 0;
  writer.OnSkippingFile = [&](TZipReader&, TSkipReason reason, const std::string& name, int index,
                              bool& retry) {
    EXPECT_EQ(reason, TSkipReason::srNoOpen);
    EXPECT_EQ(name, locked);
    EXPECT_EQ(index, -1);
    if (++asked == 2)
      lock.reset(); // the second time, the lock is gone and a retry works
    retry = true;
  };
  EXPECT_EQ(zip({locked, other}), 2);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(extractWithUnzip(zipName(), "locked.txt"), "locked");
}

TEST_F(EntryWriterTest, ALockedFileWithoutAHandlerIsLeftOutAndTheRestGoesOn) {
  const std::string locked = make("locked.txt", "locked");
  if (!exclusiveOpensLockOthersOut(locked))
    GTEST_SKIP() << "no share modes on this system";
  auto lock = platform::File::open(locked, platform::Access::Read, platform::Share::Exclusive);
  EXPECT_EQ(zip({locked, make("other.txt", "other")}), 1);
  EXPECT_EQ(names(), std::vector<std::string>{"other.txt"});
}

TEST_F(EntryWriterTest, TheArchiveBitCanSelectFilesAndBeClearedOnceZipped) {
  const std::string marked = make("marked.txt", "m");
  const std::string clear = make("clear.txt", "c");
  platform::setFileAttributes(clear, 0);
  if (platform::fileAttributes(clear) & platform::faArchive) {
    GTEST_SKIP() << "this file system keeps no archive bit";
  }
  writer.SetSkipIfArchiveBitNotSet(true);
  writer.SetResetArchiveBitOnZip(true);
  EXPECT_EQ(zip({marked, clear}), 1);
  EXPECT_EQ(names(), std::vector<std::string>{"marked.txt"});
  EXPECT_EQ(platform::fileAttributes(marked) & platform::faArchive, 0);
}

class Encrypted : public EntryWriterTest, public ::testing::WithParamInterface<int> {};

TEST_P(Encrypted, EntriesExtractWithThePassword) {
  const std::string text = make("secret.txt", textOf(70000));
  const std::string empty = make("empty.txt", "");
  writer.EncryptionPassword = "open sesame";
  writer.SetPackLevel(GetParam());
  zip({text, empty});
  EXPECT_EQ(archiveProblems(zipName(), "open sesame"), "");
  EXPECT_EQ(extractWithUnzip(zipName(), "secret.txt", "open sesame"), readFile(text));
  for (const CheckedEntry& e : readEntriesWithPython(zipName()))
    EXPECT_EQ(e.flagBits & 1, 1);
  EXPECT_NE(larkspur::test::runHostShell(
                "unzip -p -P wrong " +
                larkspur::test::shellQuote(larkspur::test::hostSidePath(zipName())) + " secret.txt")
                .exitCode,
            0);
}

INSTANTIATE_TEST_SUITE_P(StoredAndDeflated, Encrypted, ::testing::Values(0, 9));

#ifndef _WIN32
TEST_F(EntryWriterTest, AUtf8NameIsMarkedSoOtherToolsShowIt) {
  const std::string f = make("\xE6\x96\x87\xE4\xBB\xB6.txt", "wenjian");
  zip({f, make("plain.txt", "p")});
  const auto entries = readEntriesWithPython(zipName());
  EXPECT_EQ(entries.at(0).name, "\xE6\x96\x87\xE4\xBB\xB6.txt");
  EXPECT_EQ(entries.at(0).flagBits & 0x800, 0x800);
  EXPECT_EQ(entries.at(1).flagBits & 0x800, 0);
  EXPECT_EQ(archiveProblems(zipName()), "");
}
#endif

} // namespace
} // namespace larkspur::zip::test
