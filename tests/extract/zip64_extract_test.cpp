// An archive past 4 GiB written by Python's zipfile from a sparse file: listed with its 64-bit
// size and, where the build is not slowed by sanitizers, tested against its CRC-32.
#include <gtest/gtest.h>

#include "extract/archive_extract.h"
#include "support/host_tools.h"
#include "support/temp_dir.h"
#include "zip/format/zip_reader.h"

namespace larkspur::extract {
namespace {

constexpr std::uint64_t kBigSize = (std::uint64_t{4} << 30) + (1 << 20) + 17;

// Big chunks keep Python's copy loop short; the zeros compress to a few megabytes.
const char kWriter[] =
    "import os, shutil, sys, zipfile\n"
    "size = int(sys.argv[1])\n"
    "with open('sparse.bin', 'wb') as f: f.truncate(size)\n"
    "if os.stat('sparse.bin').st_blocks * 512 >= size: print('no sparse files'); sys.exit(0)\n"
    "info = zipfile.ZipInfo('big.bin', (2024, 1, 2, 3, 4, 6))\n"
    "info.compress_type = zipfile.ZIP_DEFLATED\n"
    "info._compresslevel = 1\n"
    "with zipfile.ZipFile('big.zip', 'w') as z, open('sparse.bin', 'rb') as src:\n"
    "    with z.open(info, 'w', force_zip64=True) as out: shutil.copyfileobj(src, out, 1 << 24)\n"
    "    z.writestr('after.txt', b'small')\n"
    "os.remove('sparse.bin')\n";

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kFullSpeed = false;
#else
constexpr bool kFullSpeed = true;
#endif

TEST(Zip64Extract, PythonArchiveWithAFourGigabyteMemberListsAndTests) {
  if (!test::hostHasProgram("python3"))
    GTEST_SKIP() << "python3 is not installed";
  test::TempDir dir;
  const auto r = test::runHostShell("cd " + test::shellQuote(test::hostSidePath(dir.path())) +
                                    " && python3 -c " + test::shellQuote(kWriter) + " " +
                                    std::to_string(kBigSize));
  ASSERT_EQ(r.exitCode, 0) << r.output;
  if (r.output.find("no sparse files") != std::string::npos)
    GTEST_SKIP() << "the temporary folder's file system has no sparse files";

  const std::string archive = dir.file("big.zip");
  zip::TZipReader reader;
  reader.SetZipName(archive);
  reader.OpenArchive();
  ASSERT_EQ(reader.EntryCount(), 2);
  EXPECT_EQ(reader.Entry(0).FileName(), "big.bin");
  EXPECT_EQ(reader.Entry(0).Size(), kBigSize);
  EXPECT_LT(reader.Entry(0).PackedSize(), kBigSize / 100);
  EXPECT_EQ(reader.Entry(1).FileName(), "after.txt");
  EXPECT_EQ(reader.Entry(1).Size(), 5u);
  EXPECT_EQ(reader.DirectoryProblem(), "");
  reader.CloseArchive();

  if (!kFullSpeed)
    GTEST_SKIP() << "listed only: inflating 4 GiB under the sanitizers takes minutes";
  const ExtractResult result = testArchive(archive, {});
  EXPECT_TRUE(result.complete()) << result.problems.front().message;
}

} // namespace
} // namespace larkspur::extract
