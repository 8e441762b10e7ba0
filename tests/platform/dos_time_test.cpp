// Packing of DOS date/times and the local-time conversions.
#include "platform/dos_time.h"

#include <gtest/gtest.h>

namespace larkspur::platform {
namespace {

TEST(DosTime, PacksTheDocumentedBitLayout) {
  const DateTime t{2004, 2, 29, 13, 45, 58};
  const std::uint32_t packed = packDosTime(t);
  EXPECT_EQ(packed & 0x1F, 29u);
  EXPECT_EQ((packed >> 5) & 0x3F, 45u);
  EXPECT_EQ((packed >> 11) & 0x1F, 13u);
  EXPECT_EQ((packed >> 16) & 0x1F, 29u);
  EXPECT_EQ((packed >> 21) & 0x0F, 2u);
  EXPECT_EQ(packed >> 25, 24u);
  EXPECT_EQ(splitDosTime(packed), t);
  EXPECT_EQ(splitDosTime(0), (DateTime{1980, 0, 0, 0, 0, 0}));
  EXPECT_EQ(splitDosTime(0xFFFFFFFF), (DateTime{2107, 15, 31, 31, 63, 62}));
}

TEST(DosTime, ValidityKnowsMonthLengths) {
  EXPECT_TRUE(isValidDateTime({2000, 2, 29, 0, 0, 0}));
  EXPECT_FALSE(isValidDateTime({1900, 2, 29, 0, 0, 0}));
  EXPECT_FALSE(isValidDateTime({2001, 2, 29, 0, 0, 0}));
  EXPECT_FALSE(isValidDateTime({2001, 4, 31, 0, 0, 0}));
  EXPECT_FALSE(isValidDateTime({2001, 13, 1, 0, 0, 0}));
  EXPECT_FALSE(isValidDateTime({2001, 1, 1, 24, 0, 0}));
  EXPECT_FALSE(isValidDateTime({2001, 1, 0, 0, 0, 0}));
  EXPECT_FALSE(timeTFromLocal({2001, 2, 30, 0, 0, 0}));
}

TEST(DosTime, LocalRoundTripAndClamping) {
  const DateTime t{2015, 7, 14, 10, 20, 30};
  const auto seconds = timeTFromLocal(t);
  ASSERT_TRUE(seconds);
  EXPECT_EQ(localDateTime(*seconds), t);
  EXPECT_EQ(dosTimeFromTimeT(*seconds), packDosTime(t));
  EXPECT_EQ(dosTimeFromTimeT(*seconds + 1), packDosTime(t)); // two-second resolution
  const auto early = timeTFromLocal({1975, 1, 1, 12, 0, 0});
  ASSERT_TRUE(early);
  EXPECT_EQ(dosTimeFromTimeT(*early), packDosTime({1980, 1, 1, 0, 0, 0}));
}

} // namespace
} // namespace larkspur::platform
