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
  // A 64-bit end record counts every entry; the classic field only the low bits.
  const std::uint64_t held = static_cast<std::uint64_t>(read.entriesHeld);
  if ((end.Zip64 ? held : held % kCountModulus) != end.EntryCount()) {
    return kCountedEntries1 + std::to_string(end.EntryCount()) + kCountedEntries2 +
           std::to_string(read.entriesHeld);
  }
  // An empty file has no end record at all; a set's configuration file describes other files.
  if (!read.singleFile || end.CommentPosition < kEndRecordSize)
    return {};
  if (end.EntriesOnDisk() != end.EntryCount()) {
    return kCountedOnDisk1 + std::to_string(end.EntriesOnDisk()) + kCountedOnDisk2 +
           std::to_string(end.EntryCount()) + kCountedOnDisk3;
  }
  const auto offset = static_cast<std::int64_t>(end.DirectoryOffset());
  const auto size = static_cast<std::int64_t>(end.DirectorySize());
  const std::int64_t headersSize = read.headersRead ? read.headersEnd - offset : 0;
  if (headersSize != size) {
    return kDirectorySize1 + std::to_string(size) + kDirectorySize2 + std::to_string(headersSize);
  }
  // With 64-bit records the directory ends where the 64-bit end record begins.
  const std::int64_t endRecordAt =
      end.Zip64 ? end.Zip64->recordPosition : std::int64_t{end.CommentPosition} - kEndRecordSize;
  const std::int64_t directoryEnd = offset + size;
  if (directoryEnd < endRecordAt && !(read.zip64RecordsBefore && !end.Zip64))
    return kDirectoryGap1 + std::to_string(endRecordAt - directoryEnd) + kDirectoryGap2;
  if (directoryEnd > endRecordAt)
    return kDirectoryOverlap1 + std::to_string(directoryEnd - endRecordAt) + kDirectoryOverlap2;
  return {};
}

} // namespace larkspur::zip
