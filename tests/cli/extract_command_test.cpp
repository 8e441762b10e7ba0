// larkspur-zip extract and test as a script sees them: the exit status says whether everything
// was extracted (0), something was left out (3, each entry named with its reason), the run failed
// (1) or the command line was wrong (2); test is 0 only when every entry is good.
#include <gtest/gtest.h>

#include "cli_run.h"
#include "extract/raw_zip.h"
#include "platform/platform.h"
#include "support/file_contents.h"
#include "support/temp_dir.h"

namespace larkspur::cli {
namespace {

using larkspur::extract::test::crcOf;
using larkspur::extract::test::RawEntry;
using larkspur::extract::test::rawZip;
using larkspur::test::readFile;
using larkspur::test::writeFile;

class ExtractCommand : public ::testing::Test {
protected:
  ExtractCommand() { writeFile(archive(), rawZip({{"a.txt", "alpha"}, {"sub/b.txt", "beta"}})); }
  std::string archive() const { return dir.file("pack.zip"); }
  std::string extracted(const std::string& name) const {
    return dir.file("pack") + platform::kPathDelimiter + name;
  }
  larkspur::test::TempDir dir;
};

TEST_F(ExtractCommand, ExtractsIntoTheArchivesNameAndReportsWhatItKeeps) {
  const CliRun first = run({"extract", archive()});
  EXPECT_EQ(first.status, kExitOk) << first.err;
  EXPECT_EQ(readFile(extracted("a.txt")), "alpha");

  writeFile(extracted("a.txt"), "edited");
  const CliRun again = run({"extract", archive()});
  EXPECT_EQ(again.status, kExitIncomplete);
  EXPECT_NE(again.err.find("skipped a.txt: the file exists and is kept"), std::string::npos);
  EXPECT_EQ(readFile(extracted("a.txt")), "edited");

  EXPECT_EQ(run({"extract", archive(), "--overwrite", "always", "*.txt"}).status, kExitOk);
  EXPECT_EQ(readFile(extracted("a.txt")), "alpha");

  const std::string elsewhere = dir.file("elsewhere");
  EXPECT_EQ(run({"extract", archive(), "-d", elsewhere, "sub/*"}).status, kExitOk);
  EXPECT_TRUE(platform::fileExists(elsewhere + platform::kPathDelimiter + "sub" +
                                   platform::kPathDelimiter + "b.txt"));
  EXPECT_FALSE(platform::fileExists(elsewhere + platform::kPathDelimiter + "a.txt"));
}

TEST_F(ExtractCommand, TestSucceedsOnlyWhenEveryEntryIsGood) {
  EXPECT_EQ(run({"test", archive()}).status, kExitOk);
  RawEntry damaged{"bad.txt", "stored"};
  damaged.crc = crcOf("written");
  writeFile(archive(), rawZip({{"good.txt", "g"}, damaged}));
  const CliRun bad = run({"test", archive()});
  EXPECT_EQ(bad.status, kExitFailure);
  EXPECT_NE(bad.err.find("bad bad.txt: CRC error"), std::string::npos) << bad.err;
}

TEST_F(ExtractCommand, FailuresAndUsageErrorsHaveTheirOwnStatus) {
  writeFile(dir.file("x.rar"), "Rar!");
  const CliRun rar = run({"extract", dir.file("x.rar")});
  EXPECT_EQ(rar.status, kExitFailure);
  EXPECT_NE(rar.err.find("format not supported"), std::string::npos);
  writeFile(dir.file("junk.zip"), "this is no archive at all");
  EXPECT_EQ(run({"extract", dir.file("junk.zip")}).status, kExitFailure);
  EXPECT_EQ(run({"extract", dir.file("missing.zip")}).status, kExitFailure);
  EXPECT_EQ(run({"extract"}).status, kExitUsage);
  EXPECT_EQ(run({"extract", archive(), "--overwrite", "sometimes"}).status, kExitUsage);
  EXPECT_EQ(run({"test", archive(), "extra"}).status, kExitUsage);
}

} // namespace
} // namespace larkspur::cli
