// Percentages, text slices, file times, temporary names and the other small shared helpers.
#include "zip/format/zip_helpers.h"

#include <gtest/gtest.h>

#include <limits>

#include "platform/platform.h"
#include "support/file_contents.h"
#include "support/temp_dir.h"

namespace larkspur::zip {
namespace {

using test::TempDir;
using test::writeFile;

struct PercentCase {
  std::int64_t total;
  std::int64_t part;
  int expected;
};

class PercentTest : public ::testing::TestWithParam<PercentCase> {};

TEST_P(PercentTest, RoundsHalvesToEvenAndCaps) {
  const PercentCase& c = GetParam();
  EXPECT_EQ(Percent64(c.part, c.total), c.expected);
  const bool fits32 =
      c.total <= INT32_MAX && c.part <= INT32_MAX && c.total >= INT32_MIN && c.part >= INT32_MIN;
  if (fits32) {
    EXPECT_EQ(Percent(static_cast<std::int32_t>(c.total), static_cast<std::int32_t>(c.part)),
              c.expected);
  }
}

constexpr std::int64_t kBig = std::numeric_limits<std::int64_t>::max();

INSTANTIATE_TEST_SUITE_P(
    Cases, PercentTest,
    ::testing::Values(PercentCase{0, 5, 0}, PercentCase{-4, 2, 0}, PercentCase{200, 50, 25},
                      PercentCase{3, 5, 100}, PercentCase{8, 1, 12} /* 12.5 */,
                      PercentCase{200, 27, 14} /* 13.5 */, PercentCase{200, 1, 0} /* 0.5 */,
                      PercentCase{200, 3, 2} /* 1.5 */, PercentCase{3, 2, 67},
                      PercentCase{3, 1, 33}, PercentCase{10, 0, 0}, PercentCase{10, -3, 0},
                      PercentCase{kBig, kBig / 2, 50}, PercentCase{kBig, kBig - 1, 100},
                      PercentCase{INT32_MAX, INT32_MAX / 200, 0}));

TEST(TextSlices, LeftAndRightClampToTheText) {
  EXPECT_EQ(LeftText("abcdef", 2), "ab");
  EXPECT_EQ(RightText("abcdef", 2), "ef");
  EXPECT_EQ(LeftText("abc", 10), "abc");
  EXPECT_EQ(RightText("abc", 10), "abc");
  EXPECT_EQ(LeftText("abc", 0), "");
  EXPECT_EQ(RightText("abc", -1), "");
}

TEST(ValidFileTime, MissingFileReadsAsTheLastSaneMoment) {
  TempDir dir;
  EXPECT_EQ(ValidFileTime(dir.file("missing")), (DateTime{2099, 12, 31, 23, 59, 58}));
}

TEST(ValidFileTime, ExistingFileGivesItsModificationTime) {
  TempDir dir;
  const std::string name = dir.file("f");
  writeFile(name, "x");
  ASSERT_TRUE(platform::setFileDosTime(name, platform::packDosTime({2001, 9, 8, 7, 6, 4})));
  EXPECT_EQ(ValidFileTime(name), (DateTime{2001, 9, 8, 7, 6, 4}));
}

TEST(MakeTempFileName, CreatesAnEmptyZavFile) {
  TempDir dir;
  const std::string first = MakeTempFileName(dir.path());
  const std::string second = MakeTempFileName(dir.path() + platform::kPathDelimiter);
  EXPECT_NE(first, second);
  for (const auto& name : {first, second}) {
    EXPECT_TRUE(FileExists(name));
    EXPECT_EQ(paths::ExtractFileDir(name), dir.path());
    EXPECT_EQ(LeftText(paths::ExtractFileName(name), 3), "ZAV");
  }
}

TEST(Existence, FilesAndDirectoriesAreTellApart) {
  TempDir dir;
  writeFile(dir.file("f"), "");
  EXPECT_TRUE(FileExists(dir.file("f")));
  EXPECT_FALSE(DirectoryExists(dir.file("f")));
  EXPECT_TRUE(DirectoryExists(dir.path()));
  EXPECT_FALSE(FileExists(dir.path()));
  EXPECT_FALSE(FileExists(dir.file("none")));
}

TEST(OemRoundTrip, LeavesAsciiUnchanged) {
  std::string name = "Docs\\Read Me (1).txt";
  OemRoundTrip(name);
  EXPECT_EQ(name, "Docs\\Read Me (1).txt");
}

TEST(VolumeLabels, ReadAndWriteDoNotFailOnAFixedDisk) {
#ifdef _WIN32
  EXPECT_EQ(ReadVolumeLabel("Q:\\"), ""); // no such drive
  EXPECT_FALSE(WriteVolumeLabel("Q:\\", "PKBACK# 001"));
#else
  EXPECT_EQ(ReadVolumeLabel("/"), "");
  EXPECT_FALSE(WriteVolumeLabel("/", "PKBACK# 001"));
#endif
}

} // namespace
} // namespace larkspur::zip
