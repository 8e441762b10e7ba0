// TEndCentral: defaults, copying, the comment, and the end record as written and located.
#include "zip/format/end_central.h"

#include <algorithm>
#include <vector>

#include "zip/format/record_bytes.h"
#include "zip/format/zip_signatures.h"

namespace larkspur::zip {

void TEndCentral::Clear() {
  Signature = kEndRecordSignature;
  ThisDisk = 0;
  CentralStartDisk = 0;
  EntriesOnThisDisk = 0;
  TotalEntries = 0;
  CentralSize = 0;
  CentralOffset = 0;
  CommentLength = 0;
  CommentPosition = 0;
  Modified = false;
  Zip64.reset();
  comment_.reset();
}

void TEndCentral::Assign(const TEndCentral& source) {
  if (&source == this)
    return;
  Signature = source.Signature;
  ThisDisk = source.ThisDisk;
  CentralStartDisk = source.CentralStartDisk;
  EntriesOnThisDisk = source.EntriesOnThisDisk;
  TotalEntries = source.TotalEntries;
  CentralSize = source.CentralSize;
  CentralOffset = source.CentralOffset;
  CommentLength = source.CommentLength;
  CommentPosition = source.CommentPosition;
  Zip64 = source.Zip64;
  // A comment left behind from before would not match the length taken from the source.
  comment_ = source.comment_;
  if (comment_)
    CommentLength = static_cast<std::uint16_t>(comment_->size());
}

void TEndCentral::SetComment(std::string_view text) {
  if (text.empty()) {
    comment_.reset();
  } else {
    comment_.emplace(text);
  }
  CommentLength = static_cast<std::uint16_t>(text.size());
}

std::int64_t TEndCentral::RecordSize() const {
  return kEndRecordSize + CommentLength;
}

void TEndCentral::SetDirectory(std::uint64_t entries, std::uint64_t size, std::uint64_t offset,
                               std::uint64_t threshold, std::uint64_t countThreshold) {
  const bool wideCount = entries >= countThreshold;
  const bool wideSize = size >= threshold;
  const bool wideOffset = offset >= threshold;
  EntriesOnThisDisk = TotalEntries =
      static_cast<std::uint16_t>(wideCount ? kZip64Marker16 : entries);
  CentralSize = static_cast<std::uint32_t>(wideSize ? kZip64Marker32 : size);
  CentralOffset = static_cast<std::uint32_t>(wideOffset ? kZip64Marker32 : offset);
  ThisDisk = 0;
  CentralStartDisk = 0;
  if (!wideCount && !wideSize && !wideOffset) {
    Zip64.reset();
    return;
  }
  Zip64 = Zip64End{0, 0, entries, entries, size, offset, 0};
}

void TEndCentral::WriteEndRecord(TStream& stream) const {
  // The length written is that of the bytes that follow, so readers find the whole comment.
  if (comment_ && comment_->size() > static_cast<std::size_t>(kMaxFieldLength)) {
    throw EStreamError("Stream write error");
  }
  const std::string_view comment =
      CommentLength != 0 && comment_ ? std::string_view(*comment_) : std::string_view();
  if (Zip64)
    WriteZip64EndAndLocator(stream, *Zip64);
  record::FieldWriter out;
  out.u32(Signature);
  out.u16(ThisDisk);
  out.u16(CentralStartDisk);
  out.u16(EntriesOnThisDisk);
  out.u16(TotalEntries);
  out.u32(CentralSize);
  out.u32(CentralOffset);
  out.u16(static_cast<std::uint16_t>(comment.size()));
  out.bytes(comment);
  stream.WriteBuffer(out.data().data(), static_cast<std::int64_t>(out.data().size()));
}

bool TEndCentral::LocateEndRecord(TStream& stream) {
  const std::int64_t start = stream.Position();
  const std::int64_t size = stream.Size();
  if (size < kEndRecordSize)
    return size == 0;

  const std::int64_t span = std::min<std::int64_t>(kEndRecordSearchSpan, size);
  std::vector<unsigned char> tail(static_cast<std::size_t>(span));
  stream.Seek(-span, soEnd);
  if (stream.Read(tail.data(), span) != span) {
    stream.SetPosition(start);
    return false;
  }
  // The record nearest the end wins, as a comment may itself contain the signature.
  for (std::int64_t i = span - kEndRecordSize; i >= 0; --i) {
    if (tail[static_cast<std::size_t>(i)] != (kEndRecordSignature & 0xFF))
      continue;
    record::FieldReader field(tail.data() + i);
    if (field.u32() != kEndRecordSignature)
      continue;
    ThisDisk = field.u16();
    CentralStartDisk = field.u16();
    EntriesOnThisDisk = field.u16();
    TotalEntries = field.u16();
    CentralSize = field.u32();
    CentralOffset = field.u32();
    CommentLength = field.u16();
    CommentPosition = size - span + i + kEndRecordSize;
    return true;
  }
  stream.SetPosition(start);
  return false;
}

} // namespace larkspur::zip
