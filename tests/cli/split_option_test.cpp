// larkspur-zip compress/add --split: block files of the given size holding every item in one
// set, a set that list reads back, and sizes the option refuses.
#include <gtest/gtest.h>

#include "cli/cli.h"
#include "cli_run.h"
#include "platform/platform.h"
#include "support/file_contents.h"
#include "support/temp_dir.h"

namespace larkspur::cli {
namespace {

using larkspur::test::incompressibleBytes;
using larkspur::test::readFile;
using larkspur::test::writeFile;

constexpr char kSep = platform::kPathDelimiter;

class SplitOption : public ::testing::Test {
protected:
  SplitOption() { platform::createDirectory(dir.file("docs")); }
  std::string doc(const std::string& name, const std::string& bytes) {
    const std::string p = dir.file("docs") + kSep + name;
    writeFile(p, bytes);
    return p;
  }
  larkspur::test::TempDir dir;
};

TEST_F(SplitOption, WritesBlocksOfTheSizeThatListReadsBack) {
  doc("one.bin", incompressibleBytes(2500, 1));
  doc("two.txt", std::string(3000, 't'));
  const std::string extra = dir.file("extra.bin");
  writeFile(extra, incompressibleBytes(1500, 2));
  const CliRun r = run({"compress", "--split", "1k", dir.file("docs"), extra});
  ASSERT_EQ(r.status, kExitOk) << r.err;

  // The set is docs.001 ... and the name printed is its last block.
  std::vector<std::string> blocks;
  for (int n = 1;; ++n) {
    const std::string name = dir.file("docs.00" + std::to_string(n));
    if (!platform::fileExists(name))
      break;
    blocks.push_back(name);
    EXPECT_LE(readFile(name).size(), 1024u) << name;
  }
  ASSERT_GE(blocks.size(), 4u);
  EXPECT_EQ(r.out, blocks.back() + "\n");
  EXPECT_FALSE(platform::fileExists(dir.file("docs.zip")));

  const CliRun listed = run({"list", blocks.back()});
  ASSERT_EQ(listed.status, kExitOk) << listed.err;
  for (const char* name : {"one.bin", "two.txt", "extra.bin"})
    EXPECT_NE(listed.out.find(name), std::string::npos) << listed.out;
}

TEST_F(SplitOption, ASetOfOneBlockTakesTheArchivesOwnName) {
  doc("small.txt", "small");
  const CliRun r = run({"compress", "--name", "small.zip", "--split", "64k", dir.file("docs")});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, dir.file("small.zip") + "\n");
  EXPECT_FALSE(platform::fileExists(dir.file("small.001")));
  EXPECT_NE(run({"list", dir.file("small.zip")}).out.find("small.txt"), std::string::npos);
}

TEST_F(SplitOption, NothingAddedLeavesNoBlocksAndNoArchive) {
  platform::createDirectory(dir.file("empty"));
  const std::string archive = dir.file("empty.zip");
  const std::vector<Arguments> commands = {
      {"compress", "--split", "1k", dir.file("empty")},
      {"add", archive, "--split", "1k", dir.file("empty")},
  };
  for (const Arguments& args : commands) {
    const CliRun r = run(args);
    EXPECT_EQ(r.status, kExitFailure) << args[0] << ": " << r.err;
    EXPECT_NE(r.err.find("nothing was added"), std::string::npos) << args[0] << ": " << r.err;
    EXPECT_FALSE(platform::fileExists(dir.file("empty.001"))) << args[0];
    EXPECT_FALSE(platform::fileExists(archive)) << args[0];
  }
}

TEST_F(SplitOption, AddWritesItsItemsAsOneSetWithLeftOutFilesNamed) {
  doc("one.bin", incompressibleBytes(2500, 1));
  const std::string archive = dir.file("set.zip");
  const CliRun r =
      run({"add", archive, "--split", "1k", dir.file("docs"), dir.file("missing.txt")});
  EXPECT_EQ(r.status, kExitIncomplete) << r.err;
  EXPECT_NE(r.err.find("missing.txt"), std::string::npos) << r.err;
  ASSERT_TRUE(platform::fileExists(dir.file("set.001")));
  EXPECT_EQ(r.out.empty(), false);
  const std::string last = r.out.substr(0, r.out.size() - 1);
  EXPECT_NE(run({"list", last}).out.find("one.bin"), std::string::npos);
}

TEST_F(SplitOption, SizesOutsideTheBlockFieldAreUsageErrors) {
  const std::string a = doc("a.txt", "alpha");
  for (const char* size : {"0", "-5", "12x", "k", "2048m", "9999999999"}) {
    const CliRun r = run({"compress", "--split", size, a});
    EXPECT_EQ(r.status, kExitUsage) << size;
  }
  EXPECT_FALSE(platform::fileExists(dir.file("a.zip")));
  EXPECT_FALSE(platform::fileExists(dir.file("a.001")));
}

TEST_F(SplitOption, ABlockTooSmallForAHeaderFailsWithoutACompleteSet) {
  const std::string a = doc("a.txt", "alpha");
  // compress shows the reason through the dialog's terminal view, on the process's own stderr.
  EXPECT_EQ(run({"compress", "--split", "20", a}).status, kExitFailure);
  const CliRun r = run({"add", dir.file("a.zip"), "--split", "20", a});
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_NE(r.err.find("too small"), std::string::npos) << r.err;
  EXPECT_FALSE(platform::fileExists(dir.file("a.zip")));
  EXPECT_FALSE(platform::fileExists(dir.file("a.001")));
}

} // namespace
} // namespace larkspur::cli
