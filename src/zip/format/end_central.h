// The end-of-central-directory record of one archive with its comment: found by a backward scan
// from the end of the file, and written after the central directory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "zip/format/object.h"
#include "zip/format/stream.h"
#include "zip/format/zip64_records.h"

namespace larkspur::zip {

class TEndCentral : public TObject {
public:
  TEndCentral() { Clear(); }

  const char* ClassName() const override { return "TEndCentral"; }

  void Clear();
  // The fixed fields and CommentPosition; the comment text only when `source` has it loaded.
  void Assign(const TEndCentral& source);

  // Absent until loaded or set; CommentLength may be known without it.
  const std::optional<std::string>& Comment() const { return comment_; }
  // An empty text leaves no comment.
  void SetComment(std::string_view text);

  bool HasComment() const { return CommentLength != 0; }
  std::int64_t RecordSize() const;

  // The directory as the archive means it: from the 64-bit end record when one was read, else
  // from the classic fields.
  std::uint64_t EntryCount() const { return Zip64 ? Zip64->totalEntries : TotalEntries; }
  std::uint64_t EntriesOnDisk() const {
    return Zip64 ? Zip64->entriesOnThisDisk : EntriesOnThisDisk;
  }
  std::uint64_t DirectorySize() const { return Zip64 ? Zip64->centralSize : CentralSize; }
  std::uint64_t DirectoryOffset() const { return Zip64 ? Zip64->centralOffset : CentralOffset; }

  // Sets the directory's entry count, size and offset for writing a single-file archive. A value
  // its classic field cannot hold (a count from `countThreshold` on, a size or offset from
  // `threshold` on) goes into a 64-bit end record, its classic field holding the marker;
  // without such a value there is no 64-bit record. Tests lower the thresholds.
  void SetDirectory(std::uint64_t entries, std::uint64_t size, std::uint64_t offset,
                    std::uint64_t threshold = kZip64Marker32,
                    std::uint64_t countThreshold = kZip64Marker16);

  // The 64-bit end record and its locator when Zip64 is set, then the classic record.
  void WriteEndRecord(TStream& stream) const;
  // Finds the record nearest the end of the stream and takes its fields (not the comment).
  // An empty stream counts as an archive without entries. False, with the position put back,
  // when there is no record.
  bool LocateEndRecord(TStream& stream);

  std::uint32_t Signature;
  std::uint16_t ThisDisk;
  std::uint16_t CentralStartDisk;
  std::uint16_t EntriesOnThisDisk;
  std::uint16_t TotalEntries;
  std::uint32_t CentralSize;
  std::uint32_t CentralOffset;
  std::uint16_t CommentLength;
  std::int64_t CommentPosition; // 64 bits: an archive may pass 4 GiB
  bool Modified;
  // The 64-bit end record before this one, when the archive has one or is to have one.
  std::optional<Zip64End> Zip64;

private:
  std::optional<std::string> comment_;
};

} // namespace larkspur::zip
