// What POSIX hosts add so other tools restore an entry as it was: the Unix host and mode (the
// executable bit survives), UTF-8 names shown and extracted as such, and the UTC time that
// extracts right in another time zone. Windows writes none of it (the recorded archives pin
// that byte for byte).
#ifndef _WIN32
#include <sys/stat.h>

#include "platform/target_files.h"
#include "writer_fixture.h"
#include "zip/writer/host_fields.h"

namespace larkspur::zip::test {
namespace {

using larkspur::test::runHostShell;
using larkspur::test::shellQuote;

constexpr char kUtf8Name[] = "\xE6\x8A\xA5\xE5\x91\x8A.txt"; // 报告.txt

struct stat statOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st;
}

class HostFields : public WriterTest {
protected:
  // An executable, a UTF-8 name in a folder, and that folder's own entry.
  std::vector<std::string> makeTree() {
    const std::string tool = make("bin/run.sh", "#!/bin/sh\necho hi\n", dosTime(2021, 6, 1));
    platform::setUnixMode(tool, 0755);
    const std::string report =
        make(std::string("docs/") + kUtf8Name, "report", dosTime(2021, 6, 1));
    platform::setUnixMode(report, 0640);
    writer.SetRelativePaths(true);
    writer.SetRootDir(src() + kSep);
    return {tool, path("docs") + kSep, report};
  }
};

TEST_F(HostFields, UnixHostModeTimeAndUtf8FlagAreWhatOtherReadersSee) {
  const std::vector<std::string> files = makeTree();
  ASSERT_EQ(zip(files), 3);
  EXPECT_EQ(archiveProblems(zipName()), "");

  const auto entries = readEntriesWithPython(zipName());
  ASSERT_EQ(entries.size(), 3u);
  const std::string names[] = {"bin/run.sh", "docs/", std::string("docs/") + kUtf8Name};
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const larkspur::test::CheckedEntry& e = entries[i];
    SCOPED_TRACE(names[i]);
    EXPECT_EQ(e.name, names[i]);
    EXPECT_EQ(e.createSystem, static_cast<int>(kHostUnix));
    EXPECT_EQ(e.createVersion, 20);
    EXPECT_EQ(e.externalAttributes >> kUnixModeShift, statOf(files[i]).st_mode);
    EXPECT_EQ((e.flagBits & kFlagUtf8Name) != 0, i == 2);
  }

  // Both headers carry the UTC time; our reader keeps the central field as stored.
  TZipReader reader;
  reader.SetZipName(zipName());
  reader.OpenArchive();
  for (int i = 0; i < reader.EntryCount(); ++i) {
    EXPECT_EQ(reader.Entry(i).CentralExtra(),
              ExtendedTimestampField(statOf(files[static_cast<std::size_t>(i)]).st_mtime));
  }
  const auto info = runHostShell("zipinfo -v " + shellQuote(zipName()));
  EXPECT_NE(info.output.find("operating system of origin:      Unix"), std::string::npos)
      << info.output;
  EXPECT_NE(info.output.find("0x5455"), std::string::npos) << info.output;
}

TEST_F(HostFields, UnzipRestoresUtf8NamesTheExecutableModeAndTheTimeInAnotherZone) {
  const std::vector<std::string> files = makeTree();
  ASSERT_EQ(zip(files), 3);
  const std::string out = dir.file("out");
  // The DOS time alone would be read as Tokyo time: only the UTC field gives the same instant.
  const auto r =
      runHostShell("TZ=Asia/Tokyo unzip -q -o " + shellQuote(zipName()) + " -d " + shellQuote(out));
  ASSERT_EQ(r.exitCode, 0) << r.output;
  const struct stat tool = statOf(out + "/bin/run.sh");
  EXPECT_EQ(tool.st_mode & 0777, 0755u);
  EXPECT_EQ(tool.st_mtime, statOf(files[0]).st_mtime);
  const struct stat report = statOf(out + "/docs/" + kUtf8Name);
  EXPECT_EQ(report.st_mode & 0777, 0640u);
  EXPECT_EQ(larkspur::test::readFile(out + "/docs/" + kUtf8Name), "report");
}

TEST_F(HostFields, TheTimeFieldCanBeLeftOutAndAnUpdateKeepsEveryByte) {
  const std::vector<std::string> files = makeTree();
  writer.SetStoreUtcTime(false);
  ASSERT_EQ(zip(files), 3);
  TZipReader reader;
  reader.SetZipName(zipName());
  reader.OpenArchive();
  for (int i = 0; i < reader.EntryCount(); ++i)
    EXPECT_EQ(reader.Entry(i).CentralExtra(), "");

  // A run that adds a file carries the others over, their fields (both kinds) unchanged.
  writer.SetStoreUtcTime(true);
  ASSERT_EQ(zip({make("late.txt", "late")}), 1);
  reader.OpenArchive();
  ASSERT_EQ(reader.EntryCount(), 4);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(reader.Entry(i).CentralExtra(), "") << i;
  EXPECT_EQ(reader.Entry(3).CentralExtra(),
            ExtendedTimestampField(statOf(path("late.txt")).st_mtime));
  EXPECT_EQ(archiveProblems(zipName()), "");
}

} // namespace
} // namespace larkspur::zip::test
#endif
