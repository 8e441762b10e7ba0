// larkspur-zip --threads: the archive is the same byte for byte with any number of compression
// threads (the default uses every core), and counts outside 1 to 256 are refused.
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

TEST(ThreadsOption, AnyCountGivesTheSameArchive) {
  larkspur::test::TempDir dir;
  const std::string docs = dir.file("docs");
  platform::createDirectory(docs);
  const std::size_t sizes[] = {0, 10, 65279, 65535, 65536, 300000, 1 << 20};
  for (std::size_t i = 0; i < std::size(sizes); ++i) {
    std::string bytes = incompressibleBytes(sizes[i], static_cast<unsigned>(i));
    for (std::size_t k = 0; k < bytes.size(); k += 2)
      bytes[k] = 'a'; // half noise: it compresses, with matches
    writeFile(docs + platform::kPathDelimiter + "f" + std::to_string(i), bytes);
  }
  std::string first;
  for (const char* threads : {"1", "3", ""}) {
    SCOPED_TRACE(std::string("threads ") + threads);
    const std::string archive = dir.file(std::string("t") + threads + ".zip");
    Arguments args{"add", archive, docs};
    if (*threads != '\0')
      args = {"add", archive, "--threads", threads, docs};
    const CliRun r = run(args);
    ASSERT_EQ(r.status, kExitOk) << r.err;
    if (first.empty())
      first = readFile(archive);
    else
      EXPECT_TRUE(readFile(archive) == first);
  }
}

TEST(ThreadsOption, CountsOutsideTheRangeAreUsageErrors) {
  larkspur::test::TempDir dir;
  const std::string a = dir.file("a.txt");
  writeFile(a, "alpha");
  for (const char* count : {"0", "257", "two", "-1", ""})
    EXPECT_EQ(run({"compress", "--threads", count, a}).status, kExitUsage) << count;
  EXPECT_EQ(run({"compress", a, "--threads"}).status, kExitUsage);
  EXPECT_FALSE(platform::fileExists(dir.file("a.zip")));
}

} // namespace
} // namespace larkspur::cli
