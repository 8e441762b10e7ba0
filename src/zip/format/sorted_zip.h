// TSortedZip: a list of archive entries in one of eight orders, and the comparison that defines
// each order with its tie-breaks.
#pragma once

#include <cstdint>

#include "zip/format/sorted_object_list.h"
#include "zip/format/zip_header_info.h"

namespace larkspur::zip {

enum class TZipSortMode : std::uint8_t {
  ByName = 0,             // Directory + FileName, ascending, ASCII case-insensitive
  ByFileName = 1,         // FileName, likewise
  ByDirectoryName = 2,    // Directory, likewise
  ByDate = 3,             // newest first
  ByCompressedSize = 4,   // largest first
  ByUnCompressedSize = 5, // largest first
  ByRate = 6,             // highest compressed-to-uncompressed percentage first
  ByNone = 7,             // physical order: disk, then local-header offset
};

class TSortedZip : public TSortedObjectList {
public:
  TSortedZip(bool ownsObjects, TDuplicates duplicatePolicy) : TSortedObjectList(duplicatePolicy) {
    OwnsItems = ownsObjects;
  }

  const char* ClassName() const override { return "TSortedZip"; }

  // The entry at `index` (every item of this list is a TZipHeaderInfo).
  TZipHeaderInfo* Get(int index) const {
    return static_cast<TZipHeaderInfo*>(TSortedObjectList::Get(index));
  }

  // Item against key under SortMode. The date and size orders never answer 0, so an item equal
  // in date or size goes after those present and Find never reports a match in them.
  int Compare(const TObject* itemKey, const TObject* searchKey) const override;

  TZipSortMode SortMode = TZipSortMode::ByNone;
};

// Compressed size as a percentage of the uncompressed size, halves to even, at most 100;
// 0 when the uncompressed size is not above 0.
int CompressionRate(const TZipHeaderInfo& entry);

} // namespace larkspur::zip
