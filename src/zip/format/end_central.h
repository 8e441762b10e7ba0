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
  std::uint32_t CommentPosition;
  bool Modified;
  // The 64-bit end record before this one, when the archive has one (never written).
  std::optional<Zip64End> Zip64;

private:
  std::optional<std::string> comment_;
};

} // namespace larkspur::zip
