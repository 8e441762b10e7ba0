// TSortedZip's comparison for each sort mode.
#include "zip/format/sorted_zip.h"

#include <string_view>

#include "zip/format/dos_date_time.h"

namespace larkspur::zip {

namespace {

unsigned char foldAscii(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 'a' && byte <= 'z' ? static_cast<unsigned char>(byte - ('a' - 'A')) : byte;
}

// ASCII case-insensitive comparison of a1 + a2 with b1 + b2, without building either: the first
// differing folded bytes decide, else the lengths.
int compareTextPair(std::string_view a1, std::string_view a2, std::string_view b1,
                    std::string_view b2) {
  const std::size_t lengthA = a1.size() + a2.size();
  const std::size_t lengthB = b1.size() + b2.size();
  const std::size_t common = lengthA < lengthB ? lengthA : lengthB;
  for (std::size_t i = 0; i < common; ++i) {
    const char ca = i < a1.size() ? a1[i] : a2[i - a1.size()];
    const char cb = i < b1.size() ? b1[i] : b2[i - b1.size()];
    const int d = foldAscii(ca) - foldAscii(cb);
    if (d != 0)
      return d;
  }
  return static_cast<int>(lengthA) - static_cast<int>(lengthB);
}

int compareText(std::string_view a, std::string_view b) {
  return compareTextPair(a, {}, b, {});
}

// An entry's date as a calendar time; a date/time that names no real time counts as the zero
// date-time, earlier than any date an archive can hold.
DateTime entryDate(const TZipHeaderInfo& entry) {
  constexpr DateTime kZeroDateTime{1899, 12, 30, 0, 0, 0};
  return DosDateTimeToDateTime(entry.FileDateTime).value_or(kZeroDateTime);
}

// 1 when the key's value is above the item's, else -1: equal values go after those present.
// Sizes as the archive means them: a 32-bit difference would put 3 GiB before 1 GiB.
int descending(std::uint64_t item, std::uint64_t key) {
  return key > item ? 1 : -1;
}

} // namespace

int CompressionRate(const TZipHeaderInfo& entry) {
  constexpr std::uint64_t kPercent = 100;
  // The sizes as the archive means them (a size of 2 GiB and more is no negative number).
  const std::uint64_t whole = entry.Size();
  if (whole == 0)
    return 0;
  const std::uint64_t packed = entry.PackedSize();
  // A packed size above the whole is 100% anyway; below it, times 100 stays within 64 bits.
  if (packed >= whole)
    return kPercent;
  const std::uint64_t part = packed * kPercent;
  std::uint64_t quotient = part / whole;
  const std::uint64_t remainder = part % whole;
  // Halves to even.
  if (2 * remainder > whole || (2 * remainder == whole && quotient % 2 != 0))
    ++quotient;
  return static_cast<int>(quotient < kPercent ? quotient : kPercent);
}

int TSortedZip::Compare(const TObject* itemKey, const TObject* searchKey) const {
  const auto& item = *static_cast<const TZipHeaderInfo*>(itemKey);
  const auto& key = *static_cast<const TZipHeaderInfo*>(searchKey);
  switch (SortMode) {
  case TZipSortMode::ByName:
    return compareTextPair(item.Directory(), item.FileName(), key.Directory(), key.FileName());
  case TZipSortMode::ByFileName:
    return compareText(item.FileName(), key.FileName());
  case TZipSortMode::ByDirectoryName:
    return compareText(item.Directory(), key.Directory());
  case TZipSortMode::ByDate:
    return entryDate(key) > entryDate(item) ? 1 : -1;
  case TZipSortMode::ByCompressedSize:
    return descending(item.PackedSize(), key.PackedSize());
  case TZipSortMode::ByUnCompressedSize:
    return descending(item.Size(), key.Size());
  case TZipSortMode::ByRate:
    return CompressionRate(key) - CompressionRate(item);
  case TZipSortMode::ByNone:
    if (item.DiskNumberStart != key.DiskNumberStart) {
      return item.DiskNumberStart - key.DiskNumberStart;
    }
    {
      // Unsigned and whole: as signed 32-bit values, entries from 2 GiB on would come first and
      // look as if they overlapped the entries after them.
      const std::uint64_t itemOffset = item.HeaderOffset();
      const std::uint64_t keyOffset = key.HeaderOffset();
      return itemOffset > keyOffset ? 1 : itemOffset == keyOffset ? 0 : -1;
    }
  }
  return -1;
}

} // namespace larkspur::zip
