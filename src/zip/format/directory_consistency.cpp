// The checks of a directory against its end record, in the order a reader would notice them.
#include "zip/format/directory_consistency.h"

#include "zip/format/reader_texts.h"
#include "zip/format/zip_signatures.h"

namespace larkspur::zip {

namespace {

// A count of more than 65535 entries keeps only its low bits in the 16-bit field.
constexpr int kCountModulus = 0x10000;

} // namespace

std::string DirectoryDisagreement(const TEndCentral& end, const DirectoryExtent& read) {
  using namespace reader_text;
  if (read.entriesHeld % kCountModulus != end.TotalEntries) {
    return kCountedEntries1 + std::to_string(end.TotalEntries) + kCountedEntries2 +
           std::to_string(read.entriesHeld);
  }
  // An empty file has no end record at all; a set's configuration file describes other files.
  if (!read.singleFile || end.CommentPosition < static_cast<std::uint32_t>(kEndRecordSize))
    return {};
  if (end.EntriesOnThisDisk != end.TotalEntries) {
    return kCountedOnDisk1 + std::to_string(end.EntriesOnThisDisk) + kCountedOnDisk2 +
           std::to_string(end.TotalEntries) + kCountedOnDisk3;
  }
  const std::int64_t headersSize = read.headersRead ? read.headersEnd - end.CentralOffset : 0;
  if (headersSize != end.CentralSize) {
    return kDirectorySize1 + std::to_string(end.CentralSize) + kDirectorySize2 +
           std::to_string(headersSize);
  }
  const std::int64_t endRecordAt = std::int64_t{end.CommentPosition} - kEndRecordSize;
  const std::int64_t directoryEnd = std::int64_t{end.CentralOffset} + end.CentralSize;
  if (directoryEnd < endRecordAt && !read.zip64RecordsBefore)
    return kDirectoryGap1 + std::to_string(endRecordAt - directoryEnd) + kDirectoryGap2;
  if (directoryEnd > endRecordAt)
    return kDirectoryOverlap1 + std::to_string(directoryEnd - endRecordAt) + kDirectoryOverlap2;
  return {};
}

} // namespace larkspur::zip
