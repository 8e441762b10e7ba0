// TMultiZipInfo: the writer's settings for output split over several disks or block files, with
// their defaults. The writer owns one; setting it copies the values.
#pragma once

#include <cstdint>

#include "zip/format/zip_reader.h"

namespace larkspur::zip {

class TMultiZipInfo {
public:
  // A 3.5-inch high-density diskette's usable bytes: the classic size of one block file.
  static constexpr std::int32_t kDefaultBlockSize = 1457600;

  // Copies all seven values.
  void Assign(const TMultiZipInfo& source) { *this = source; }

  std::int32_t BlockSize = kDefaultBlockSize;
  std::int32_t FirstBlockSize = kDefaultBlockSize;
  std::int32_t SaveOnFirstDisk = 0;
  bool SaveZipInfoOnFirstDisk = false;
  TMultiMode MultiMode = TMultiMode::mmNone;
  bool CheckDiskLabels = true;
  bool WriteDiskLabels = true;
};

} // namespace larkspur::zip
