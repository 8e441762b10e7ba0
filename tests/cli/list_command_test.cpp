// larkspur-zip list: the listing's lines, the options, and the exit statuses and messages of
// archives that cannot be read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "cli/cli.h"
#include "cli_run.h"
#include "platform/platform.h"
#include "support/file_contents.h"
#include "support/shared_data.h"
#include "support/temp_dir.h"
#include "zip/format/zip_reader_fixtures.h"

namespace larkspur::cli {
namespace {

namespace zb = test::zipbytes;

class ListCommandTest : public ::testing::Test {
protected:
  std::string archive(const std::string& bytes, const std::string& name = "a.zip") {
    test::writeFile(dir_.file(name), bytes);
    return dir_.file(name);
  }
  test::TempDir dir_;
};

TEST_F(ListCommandTest, ListsEveryEntryThenTheComment) {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  entries[2].method = 8;
  const std::string name = archive(zb::archive(entries, "two\nlines"));
  const CliRun r = run({"list", name});
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.err, "");
  const std::string sep(1, platform::kPathDelimiter);
  char crc[3][16];
  for (int i = 0; i < 3; ++i) {
    std::snprintf(crc[i], sizeof crc[i], "%08X",
                  zb::crc32(entries[static_cast<std::size_t>(i)].data));
  }
  EXPECT_EQ(r.out, std::string("alpha.txt\t18\t18\tstored\t2021-06-15 12:30:10\t") + crc[0] +
                       "\t0:0\n" + "docs" + sep +
                       "beta.txt\t300\t300\tstored\t2021-06-15 12:30:10\t" + crc[1] +
                       "\t0:57\tbeta's comment\n" + "docs" + sep +
                       "gamma.bin\t3\t3\tdeflated\t2021-06-15 12:30:10\t" + crc[2] + "\t0:400\n" +
                       "comment: two\\nlines\n");
}

TEST_F(ListCommandTest, SixtyFourBitArchiveListsItsEntry) {
  // Sizes and offset of its entry are in a 64-bit extra field, the count in a 64-bit end record.
  const CliRun r = run({"list", test::sharedPath("corpora/zips/go-archive-zip/zip64.zip")});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, "README\t36\t36\tdeflated\t2012-08-10 14:33:32\t69FFE77E\t0:0\n");
}

TEST_F(ListCommandTest, SortOptionOrdersTheListing) {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  const std::string name = archive(zb::archive(entries));
  const CliRun r = run({"list", "--sort", "SIZE", name});
  ASSERT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.out.find("docs"), 0u); // the 300-byte entry first
  EXPECT_NE(r.out.find("\nalpha.txt"), std::string::npos);
}

TEST_F(ListCommandTest, Utf8NamesAreShownAsTheyAre) {
  std::vector<zb::Entry> entries(1);
  entries[0].name = "\xE6\x96\x87\xE6\xA1\xA3.txt";
  entries[0].flags = 0x0800;
  entries[0].versionMadeBy = 0x031E; // made on Unix: no code-page conversion of the name
  const CliRun r = run({"list", archive(zb::archive(entries))});
  ASSERT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.out.substr(0, 11), "\xE6\x96\x87\xE6\xA1\xA3.txt\t");
}

struct FailureCase {
  const char* what;
  std::string bytes;
  Arguments options;
  int status;
  std::string err; // exactly, or the start of the usage text
};

class ListFailureTest : public ListCommandTest,
                        public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ListFailureTest, ReportsOnStderrWithNonZeroStatus) {
  Arguments args{"list", archive(GetParam().bytes)};
  args.insert(args.end(), GetParam().options.begin(), GetParam().options.end());
  const CliRun r = run(args);
  EXPECT_EQ(r.status, GetParam().status);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err.substr(0, GetParam().err.size()), GetParam().err);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListFailureTest,
    ::testing::Values(
        FailureCase{"Incomplete", "0123456789", {}, kExitFailure, "Incomplete Zip File\n"},
        FailureCase{
            "NotAZip", "0123456789", {"--assume-not-zip"}, kExitFailure, "Not a valid zip file!\n"},
        FailureCase{
            "BadZip", "0123456789", {"--assume-bad"}, kExitFailure, "Not a valid zip file!\n"},
        FailureCase{"UnknownSortMode",
                    "",
                    {"--sort", "size-ish"},
                    kExitUsage,
                    "larkspur-zip list: unknown sort mode: size-ish\nusage:\n"},
        FailureCase{"SortWithoutMode",
                    "",
                    {"--sort"},
                    kExitUsage,
                    "larkspur-zip list: --sort needs a mode\n"},
        FailureCase{"UnknownOption",
                    "",
                    {"--verbose"},
                    kExitUsage,
                    "larkspur-zip list: unknown option: --verbose\n"},
        FailureCase{"TwoArchives",
                    "",
                    {"b.zip"},
                    kExitUsage,
                    "larkspur-zip list: more than one archive: b.zip\n"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(ListCommandTest, AssumeBadRebuildsATruncatedArchive) {
  std::vector<zb::Entry> entries = zb::sampleEntries();
  zb::Layout layout;
  std::string bytes = zb::archive(entries, {}, {}, &layout);
  const std::string name = archive(bytes.substr(0, layout.endOffset));
  EXPECT_EQ(run({"list", name}).status, kExitFailure);
  const CliRun r = run({"list", name, "--assume-bad"});
  EXPECT_EQ(r.status, kExitIncomplete);
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3);
  EXPECT_NE(r.err.find("rebuilt from the local headers"), std::string::npos) << r.err;
}

// Directories that are not the archive's whole directory: listed, with a warning and status 3.
struct DoubtfulCase {
  const char* what;
  int endRecordCount;    // -1: the true count
  int centralSizeChange; // added to the directory's size in the end record
  int bytesBeforeEnd;    // zero bytes put between the directory and the end record
  const char* warning;
};

class ListDoubtfulDirectoryTest : public ListCommandTest,
                                  public ::testing::WithParamInterface<DoubtfulCase> {};

TEST_P(ListDoubtfulDirectoryTest, WarnsAndExitsIncomplete) {
  const DoubtfulCase& c = GetParam();
  std::vector<zb::Entry> entries = zb::sampleEntries();
  zb::Layout layout;
  const std::string whole = zb::archive(entries, {}, {}, &layout);
  zb::End end;
  end.entriesOnThisDisk = end.totalEntries =
      static_cast<std::uint16_t>(c.endRecordCount < 0 ? 3 : c.endRecordCount);
  end.centralSize = layout.endOffset - layout.centralOffset + c.centralSizeChange;
  end.centralOffset = layout.centralOffset;
  const CliRun r = run({"list", archive(whole.substr(0, layout.endOffset) +
                                        std::string(c.bytesBeforeEnd, '\0') + zb::endRecord(end))});
  EXPECT_EQ(r.status, kExitIncomplete);
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3) << r.out;
  EXPECT_NE(r.err.find("warning"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(c.warning), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListDoubtfulDirectoryTest,
    ::testing::Values(
        DoubtfulCase{"CountZero", 0, 0, 0,
                     "the end record counts 0 entries, the directory holds 3"},
        DoubtfulCase{"CountLow", 2, 0, 0, "the end record counts 2 entries, the directory holds 3"},
        DoubtfulCase{"SizeLarge", -1, 8, 0, "the end record gives the directory"},
        DoubtfulCase{"GapBeforeEnd", -1, 0, 8, "the directory ends 8 bytes before the end record"}),
    [](const auto& info) { return std::string(info.param.what); });

// Files that hold no archive at all, whatever the reader would make of them.
TEST_F(ListCommandTest, EmptyAndZeroFilledFilesAreNotArchives) {
  for (const std::string& bytes : {std::string(), std::string(100000, '\0')}) {
    const CliRun r = run({"list", archive(bytes)});
    EXPECT_EQ(r.status, kExitFailure);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("not a zip archive"), std::string::npos) << r.err;
  }
#ifndef _WIN32
  // Endless zeros: refused without reading them.
  const CliRun r = run({"list", "/dev/zero"});
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_NE(r.err.find("not a zip archive"), std::string::npos) << r.err;
#endif
}

TEST_F(ListCommandTest, MissingArchiveFailsWithTheOpenError) {
  const CliRun r = run({"list", dir_.file("absent.zip")});
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_NE(r.err.find("absent.zip"), std::string::npos);
}

TEST(CliTest, CommandLineErrorsShowUsage) {
  CliRun r = run({});
  EXPECT_EQ(r.status, kExitUsage);
  EXPECT_EQ(r.err.substr(0, 7), "usage:\n");
  r = run({"frobnicate"});
  EXPECT_EQ(r.status, kExitUsage);
  EXPECT_EQ(r.err.substr(0, 29), "unknown command: frobnicate\nu");
  r = run({"list"});
  EXPECT_EQ(r.status, kExitUsage);
  EXPECT_EQ(r.err.substr(0, 36), "larkspur-zip list: no archive named\n");
}

#ifndef _WIN32
// The program itself: exit statuses as a shell sees them.
TEST(CliProgramTest, ExitStatusReachesTheShell) {
  test::TempDir dir;
  std::vector<zb::Entry> entries = zb::sampleEntries();
  test::writeFile(dir.file("ok.zip"), zb::archive(entries));
  test::writeFile(dir.file("bad.zip"), "0123456789");
  const std::string program = std::string(LARKSPUR_BINARY_DIR) + "/src/cli/larkspur-zip";
  auto status = [&](const std::string& args) {
    const int raw = std::system((program + " " + args + " >/dev/null 2>&1").c_str());
    return WEXITSTATUS(raw);
  };
  EXPECT_EQ(status("list " + dir.file("ok.zip")), 0);
  EXPECT_EQ(status("list " + dir.file("bad.zip")), 1);
  EXPECT_EQ(status("list"), 2);
}
#endif

} // namespace
} // namespace larkspur::cli
