// The writer's bytes do not drift: fixed trees zipped at several levels must give exactly the
// archives recorded in recorded_archives.inc. On Windows the archive itself is compared; on
// POSIX it is compared after taking out only the fields POSIX hosts add (host byte, mode,
// extended timestamp), which were not written when the archives were recorded.
#include "support/posix_fields.h"
#include "support/sha256.h"
#include "writer_fixture.h"

#include "platform/target_files.h"

namespace larkspur::zip::test {
namespace {

struct Recorded {
  const char* system;
  int level;
  const char* sha256;
};

const Recorded kRecorded[] = {
#include "recorded_archives.inc"
};

#ifdef _WIN32
constexpr char kSystem[] = "windows";
// 报告.txt in the ANSI code page (936) the Wine prefix runs under.
constexpr char kReportName[] = "\xB1\xA8\xB8\xE6.txt";
#else
constexpr char kSystem[] = "posix";
constexpr char kReportName[] = "\xE6\x8A\xA5\xE5\x91\x8A.txt"; // 报告.txt in UTF-8
#endif

std::string lines(const char* line, int count) {
  std::string text;
  for (int i = 0; i < count; ++i)
    text += line + std::to_string(i) + "\r\n";
  return text;
}

class RecordedArchives : public WriterTest, public ::testing::WithParamInterface<int> {
protected:
  // Text, binary, an empty file, an executable, a read-only file, a non-ASCII name and folders
  // (one of them empty), each with a fixed local time that no time-zone change can shift.
  std::vector<std::string> makeTree() {
    const std::uint32_t fileTime = dosTime(2021, 1, 15, 10, 30, 20);
    std::vector<std::string> files = {
        make("readme.txt", lines("The quick brown fox jumps over the lazy dog, line ", 120),
             fileTime),
        make("data.bin", larkspur::test::incompressibleBytes(1500, 7) + std::string(900, '\0'),
             fileTime),
        make("empty.txt", "", fileTime),
        make("tools/run.sh", "#!/bin/sh\necho hello\n", fileTime),
        make("locked.txt", "do not change\n", fileTime),
        make(std::string("docs/") + kReportName, lines("\xE6\x8A\xA5 report ", 40), fileTime),
    };
    platform::setUnixMode(path("tools/run.sh"), 0755);
    platform::setFileAttributes(path("locked.txt"), platform::faReadOnly | platform::faArchive);
    platform::createDirectory(path("docs/empty"));
    for (const char* folder : {"tools", "docs", "docs/empty"})
      platform::setFileDosTime(path(folder), dosTime(2020, 11, 3, 8, 15, 40));
    files.push_back(path("docs") + kSep);
    files.push_back(path("docs/empty") + kSep);
    return files;
  }
};

TEST_P(RecordedArchives, ZipToTheRecordedBytes) {
  const int level = GetParam();
  const std::vector<std::string> files = makeTree();
  writer.SetRelativePaths(true);
  writer.SetRootDir(src() + kSep);
  writer.SetPackLevel(level);
  ASSERT_EQ(zip(files), static_cast<std::int32_t>(files.size()));

  const std::string archive = readFile(zipName());
#ifdef _WIN32
  const std::string compared = archive;
#else
  const std::string compared = larkspur::test::withoutPosixFields(archive);
#endif
  const std::string digest = larkspur::test::sha256Hex(compared);
  const Recorded* recorded = nullptr;
  for (const Recorded& r : kRecorded) {
    if (r.system == std::string(kSystem) && r.level == level)
      recorded = &r;
  }
  ASSERT_NE(recorded, nullptr) << "nothing recorded; this run gives {\"" << kSystem << "\", "
                               << level << ", \"" << digest << "\"},";
  EXPECT_EQ(digest, recorded->sha256) << "level " << level;
  EXPECT_EQ(archiveProblems(zipName()), "");
}

// The digest itself, on the standard's examples (one block, two blocks, nothing).
TEST(RecordedArchiveDigest, MatchesTheStandardExamples) {
  using larkspur::test::sha256Hex;
  EXPECT_EQ(sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

INSTANTIATE_TEST_SUITE_P(Levels, RecordedArchives, ::testing::Values(0, 1, 6, 9));

} // namespace
} // namespace larkspur::zip::test
