// TSortedZip: the eight orders with their tie-breaks, name lookup and the compression rate.
#include "zip/format/sorted_zip.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "zip/format/list_error.h"

namespace larkspur::zip {
namespace {

std::unique_ptr<TZipHeaderInfo> entry(const std::string& directory, const std::string& name) {
  auto e = std::make_unique<TZipHeaderInfo>();
  e->SetDirectory(directory);
  e->SetFileName(name);
  return e;
}

std::unique_ptr<TZipHeaderInfo> entryAt(std::uint16_t disk, std::uint32_t offset) {
  auto e = std::make_unique<TZipHeaderInfo>();
  e->DiskNumberStart = disk;
  e->LocalHeaderOffset = offset;
  return e;
}

std::unique_ptr<TZipHeaderInfo> sized(std::int32_t compressed, std::int32_t uncompressed) {
  auto e = std::make_unique<TZipHeaderInfo>();
  e->CompressedSize = compressed;
  e->UncompressedSize = uncompressed;
  return e;
}

std::unique_ptr<TZipHeaderInfo> dated(std::uint32_t dosTime) {
  auto e = std::make_unique<TZipHeaderInfo>();
  e->FileDateTime = dosTime;
  return e;
}

// Adds the entries in this order to a non-owning view in `mode` and returns the view's order as
// indexes into `entries`.
std::vector<int> viewOrder(const std::vector<std::unique_ptr<TZipHeaderInfo>>& entries,
                           TZipSortMode mode) {
  TSortedZip view(false, TDuplicates::dupAccept);
  view.SortMode = mode;
  for (const auto& e : entries)
    view.Add(e.get());
  std::vector<int> order;
  for (int i = 0; i < view.ItemCount(); ++i) {
    for (std::size_t j = 0; j < entries.size(); ++j) {
      if (view.Get(i) == entries[j].get())
        order.push_back(static_cast<int>(j));
    }
  }
  return order;
}

template <class... Entries> std::vector<std::unique_ptr<TZipHeaderInfo>> list(Entries... entries) {
  std::vector<std::unique_ptr<TZipHeaderInfo>> out;
  (out.push_back(std::move(entries)), ...);
  return out;
}

TEST(SortedZip, PhysicalOrderIsDiskThenOffsetAndRefusesASecondEntryAtOneOffset) {
  TSortedZip directory(true, TDuplicates::dupError);
  EXPECT_EQ(directory.SortMode, TZipSortMode::ByNone);
  for (std::uint32_t offset : {300u, 100u, 200u}) {
    auto e = entryAt(0, offset);
    directory.AddOwned(e);
  }
  auto onDiskOne = entryAt(1, 50);
  directory.AddOwned(onDiskOne);
  EXPECT_EQ(directory.Get(0)->LocalHeaderOffset, 100u);
  EXPECT_EQ(directory.Get(1)->LocalHeaderOffset, 200u);
  EXPECT_EQ(directory.Get(2)->LocalHeaderOffset, 300u);
  EXPECT_EQ(directory.Get(3)->DiskNumberStart, 1);

  auto again = entryAt(0, 200);
  EXPECT_THROW(directory.AddOwned(again), EListError);
  EXPECT_NE(again, nullptr);
  EXPECT_EQ(directory.ItemCount(), 4);

  // The reader looks an entry up by disk and offset.
  int index = -1;
  EXPECT_TRUE(directory.Find(again.get(), index));
  EXPECT_EQ(index, 1);
}

TEST(SortedZip, OffsetsPast2GiBAnd4GiBKeepTheirPlace) {
  // As signed 32-bit values, offsets from 2 GiB on would sort before the first entry.
  auto wide = entryAt(0, 0);
  wide->SetHeaderOffset(std::uint64_t{5} << 30);
  const auto order = viewOrder(list(entryAt(0, 0x80000000u), std::move(wide), entryAt(0, 5)),
                               TZipSortMode::ByNone);
  EXPECT_EQ(order, (std::vector<int>{2, 0, 1}));
}

TEST(SortedZip, NameIndexFoldsAsciiLettersOnly) {
  TSortedZip index(false, TDuplicates::dupError);
  index.SortMode = TZipSortMode::ByName;
  auto readMe = entry("Docs", "Read.me");
  auto accented = entry("", "caf\xC3\xA9");
  index.Add(readMe.get());
  index.Add(accented.get());
  int at = 0;
  EXPECT_TRUE(index.Find(entry("DOCS", "READ.ME").get(), at));
  EXPECT_FALSE(index.Find(entry("docs", "readme").get(), at));
  EXPECT_TRUE(index.Find(entry("", "CAF\xC3\xA9").get(), at));
  EXPECT_FALSE(index.Find(entry("", "CAF\xC3\x89").get(), at)); // "É" is not "é"
  auto duplicate = entry("DOCS", "read.ME");
  EXPECT_THROW(index.Add(duplicate.get()), EListError);
}

TEST(SortedZip, NameOrderComparesDirectoryAndNameAsOneText) {
  // "ab" + sep + "c" goes before "ab~" (the separator is below "~"); comparing the directories
  // first would put the entry without a directory first.
  EXPECT_EQ(viewOrder(list(entry("", "ab~"), entry("ab", "c")), TZipSortMode::ByName),
            (std::vector<int>{1, 0}));
}

TEST(SortedZip, FileAndDirectoryOrdersLookAtTheirHalfOnly) {
  const auto entries = list(entry("b", "x"), entry("a", "Y"), entry("c", "w"));
  EXPECT_EQ(viewOrder(entries, TZipSortMode::ByFileName), (std::vector<int>{2, 0, 1}));
  EXPECT_EQ(viewOrder(entries, TZipSortMode::ByDirectoryName), (std::vector<int>{1, 0, 2}));
}

TEST(SortedZip, SameNameInAForeignArchiveAppearsInReverseOrder) {
  EXPECT_EQ(viewOrder(list(entry("", "a"), entry("", "A"), entry("", "b")), TZipSortMode::ByName),
            (std::vector<int>{1, 0, 2}));
}

TEST(SortedZip, DateOrderIsNewestFirstAndKeepsEqualDatesInOrder) {
  constexpr std::uint32_t kOld = 0x20210000, kNew = 0x5A2B6C3D;
  constexpr std::uint32_t kNoRealDate = 0x5A5F0000; // 31 February: not a calendar day
  EXPECT_EQ(viewOrder(list(dated(kOld), dated(kNew), dated(kOld), dated(kNoRealDate), dated(kNew)),
                      TZipSortMode::ByDate),
            (std::vector<int>{1, 4, 0, 2, 3}));
}

TEST(SortedZip, SizeOrdersAreLargestFirstAndKeepEqualSizesInOrder) {
  const auto entries = list(sized(10, 40), sized(30, 20), sized(10, 60), sized(20, 20));
  EXPECT_EQ(viewOrder(entries, TZipSortMode::ByCompressedSize), (std::vector<int>{1, 3, 0, 2}));
  EXPECT_EQ(viewOrder(entries, TZipSortMode::ByUnCompressedSize), (std::vector<int>{2, 0, 1, 3}));
}

TEST(SortedZip, SizeOrdersGoByTheWholeSizes) {
  // 3 GiB is negative as a 32-bit value; 5 GiB lives in the 64-bit field.
  constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;
  const auto bigOf = [&](std::uint64_t packed, std::uint64_t size) {
    auto e = sized(0, 0);
    e->SetSizes(packed, size);
    return e;
  };
  const auto entries =
      list(bigOf(kGiB, 3 * kGiB), bigOf(5 * kGiB, kGiB), bigOf(3 * kGiB, 5 * kGiB));
  EXPECT_EQ(viewOrder(entries, TZipSortMode::ByCompressedSize), (std::vector<int>{1, 2, 0}));
  EXPECT_EQ(viewOrder(entries, TZipSortMode::ByUnCompressedSize), (std::vector<int>{2, 0, 1}));
}

TEST(SortedZip, DateAndSizeOrdersNeverReportAMatch) {
  for (auto mode :
       {TZipSortMode::ByDate, TZipSortMode::ByCompressedSize, TZipSortMode::ByUnCompressedSize}) {
    TSortedZip view(false, TDuplicates::dupError);
    view.SortMode = mode;
    auto e = sized(5, 5);
    view.Add(e.get());
    int index = 0;
    EXPECT_FALSE(view.Find(e.get(), index));
    EXPECT_NO_THROW(view.Add(e.get()));
  }
}

struct RateCase {
  std::int32_t compressed, uncompressed;
  int rate;
};

class CompressionRateOf : public testing::TestWithParam<RateCase> {};

TEST_P(CompressionRateOf, RoundsHalvesToEvenAndStopsAtOneHundred) {
  const auto e = sized(GetParam().compressed, GetParam().uncompressed);
  EXPECT_EQ(CompressionRate(*e), GetParam().rate);
}

INSTANTIATE_TEST_SUITE_P(
    SortedZip, CompressionRateOf,
    testing::Values(RateCase{0, 0, 0}, RateCase{5, 0, 0}, RateCase{5, -3, 0}, RateCase{50, 200, 25},
                    RateCase{1, 8, 12}, RateCase{3, 8, 38}, RateCase{27, 200, 14},
                    RateCase{2, 3, 67}, RateCase{300, 200, 100}, RateCase{0x7FFFFFFF, 1, 100},
                    // Sizes of 2 GiB and more are sizes, not negatives.
                    RateCase{0x40000000, INT32_MIN, 50}, RateCase{-2, 8, 100}));

TEST(SortedZip, RateOrderIsHighestFirst) {
  EXPECT_EQ(
      viewOrder(list(sized(1, 8), sized(50, 100), sized(0, 0), sized(1, 2)), TZipSortMode::ByRate),
      (std::vector<int>{3, 1, 0, 2}));
}

TEST(SortedZip, UnknownModeAnswersBelow) {
  TSortedZip view(false, TDuplicates::dupAccept);
  view.SortMode = static_cast<TZipSortMode>(9);
  auto a = entry("", "a");
  EXPECT_EQ(view.Compare(a.get(), a.get()), -1);
}

} // namespace
} // namespace larkspur::zip
