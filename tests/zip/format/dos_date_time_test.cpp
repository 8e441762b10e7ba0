// The sanitiser of header date/times and the conversions to calendar date-times.
#include "zip/format/dos_date_time.h"

#include <gtest/gtest.h>

namespace larkspur::zip {
namespace {

std::uint32_t pack(int year, int month, int day, int hour, int minute, int second) {
  return platform::packDosTime(DateTime{year, month, day, hour, minute, second});
}

// Raw fields straight into the bit layout, for values no DateTime should hold.
std::uint32_t raw(unsigned yearsSince1980, unsigned month, unsigned day, unsigned hour,
                  unsigned minute, unsigned twoSeconds) {
  return yearsSince1980 << 25 | month << 21 | day << 16 | hour << 11 | minute << 5 | twoSeconds;
}

struct SanitizeCase {
  std::uint32_t in;
  DateTime expected;
};

class SanitizeTest : public ::testing::TestWithParam<SanitizeCase> {};

TEST_P(SanitizeTest, ClampsEachField) {
  EXPECT_EQ(platform::splitDosTime(SanitizeDosDateTime(GetParam().in)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, SanitizeTest,
    ::testing::Values(SanitizeCase{0, {1980, 1, 1, 0, 0, 0}},
                      SanitizeCase{raw(30, 13, 31, 10, 0, 0), {2010, 12, 31, 10, 0, 0}},
                      SanitizeCase{raw(30, 6, 1, 10, 0, 30), {2010, 6, 1, 10, 0, 58}},
                      SanitizeCase{raw(30, 6, 1, 24, 60, 0), {2010, 6, 1, 23, 59, 0}},
                      SanitizeCase{raw(127, 6, 1, 0, 0, 0), {2099, 6, 1, 0, 0, 0}},
                      SanitizeCase{0xFFFFFFFF, {2099, 12, 31, 23, 59, 58}},
                      SanitizeCase{raw(30, 0, 0, 0, 0, 0), {2010, 1, 1, 0, 0, 0}}));

TEST(SanitizeDosDateTime, LeavesValidValuesBitForBit) {
  for (const std::uint32_t value :
       {pack(1980, 1, 1, 0, 0, 0), pack(2099, 12, 31, 23, 59, 58), pack(2024, 2, 29, 12, 30, 44),
        raw(20, 2, 30, 1, 2, 3) /* 30 February stays */}) {
    EXPECT_EQ(SanitizeDosDateTime(value), value);
  }
}

TEST(DosDateTimeConversion, RealDatesConvertAndImpossibleOnesFail) {
  const auto t = DosDateTimeToDateTime(pack(2003, 4, 5, 6, 7, 8));
  ASSERT_TRUE(t);
  EXPECT_EQ(*t, (DateTime{2003, 4, 5, 6, 7, 8}));
  EXPECT_FALSE(DosDateTimeToDateTime(raw(20, 2, 30, 1, 2, 3)));
  EXPECT_FALSE(DosDateTimeToDateTime(0)); // month 0
  EXPECT_EQ(DateTimeToDosDateTime({2003, 4, 5, 6, 7, 9}), pack(2003, 4, 5, 6, 7, 8));
  EXPECT_EQ(DateTimeToDosDateTime({1970, 1, 1, 0, 0, 0}), pack(1980, 1, 1, 0, 0, 0));
  EXPECT_EQ(DateTimeToDosDateTime({2200, 1, 1, 0, 0, 0}), pack(2107, 12, 31, 23, 59, 58));
}

TEST(DosDateTimeConversion, LocalTimeRoundTrip) {
  const DateTime t{2012, 10, 20, 9, 8, 7};
  const auto seconds = DateTimeToTimeT(t);
  ASSERT_TRUE(seconds);
  EXPECT_EQ(TimeTToDateTime(*seconds), t);
  EXPECT_FALSE(DateTimeToTimeT({2012, 2, 30, 0, 0, 0}));
  const DateTime now = NowDateTime();
  EXPECT_GE(now.year, 2020);
  EXPECT_TRUE(platform::isValidDateTime(now));
}

} // namespace
} // namespace larkspur::zip
