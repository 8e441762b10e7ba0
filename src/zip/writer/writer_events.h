// The writer's own enumerations and the shapes of its events. Events are std::function members;
// in/out parameters are references the writer reads back; an empty function is skipped.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "zip/format/end_central.h"
#include "zip/format/zip_header_info.h"

namespace larkspur::zip {

class TZipWriter;

// What a matching file does to an existing entry.
enum class TZipAction : std::uint8_t {
  zaUpdate = 0,  // replace the entry only with a newer file; add new files
  zaReplace = 1, // replace matching entries always; add new files
  zaFreshen = 2, // only files already in the archive, replaced when newer
};

// What the carry-over does with an entry that a file matched.
enum class TUpdateAction : std::uint8_t {
  uaReplace = 0, // about to be replaced by the file
  uaKeep = 1,    // matched, but kept (the file is not newer)
};

// Why a file or folder the operation was given, or found while searching, stays out of the
// archive against the caller's wish.
enum class TLeftOutReason : std::uint8_t {
  lrNotFound = 0,    // it does not exist (any more)
  lrUnreadable = 1,  // reading the file or listing the folder was refused
  lrNotRegular = 2,  // a named pipe, socket, device, or a folder given as a plain path
  lrNameTaken = 3,   // an earlier file of this run is stored under the same name
  lrPathTooLong = 4, // the path is longer than the system allows
};

using TZipFileEvent = std::function<void(TZipWriter& Sender, const std::string& FName)>;
using TZipSkipFileEvent =
    std::function<void(TZipWriter& Sender, const std::string& FName, bool& Skip)>;
using TUpdateEvent =
    std::function<void(TZipWriter& Sender, TUpdateAction UDAction, std::int32_t FileIndex)>;
using TStartZipInfoEvent =
    std::function<void(TZipWriter& Sender, std::int32_t NumFiles, std::int64_t TotalBytes,
                       TEndCentral& EndCentralRecord, bool& StopNow)>;
// The header may be changed or replaced by assignment; Skip true leaves the file out.
using TStartZipEvent = std::function<void(TZipWriter& Sender, const std::string& FName,
                                          TZipHeaderInfo& ZipHeader, bool& Skip)>;
using TEndZipEvent =
    std::function<void(TZipWriter& Sender, const std::string& FName, std::uint32_t UncompressedSize,
                       std::uint32_t CompressedSize, std::uint32_t CurrentZipSize)>;
using TLeftOutEvent =
    std::function<void(TZipWriter& Sender, const std::string& FName, TLeftOutReason Reason)>;
using TPrepareNextDiskEvent = std::function<void(TZipWriter& Sender, std::int32_t DiskNum)>;
using TZipCompleteEvent = std::function<void(TZipWriter& Sender, std::int32_t FileCount)>;

} // namespace larkspur::zip
