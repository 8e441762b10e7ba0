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

namespace {

// The fixed fields of an end record found in the tail.
struct EndFields {
  std::uint16_t thisDisk, centralStartDisk, entriesOnThisDisk, totalEntries;
  std::uint32_t centralSize, centralOffset;
  std::uint16_t commentLength;
};

EndFields readEndFields(const unsigned char* record) {
  record::FieldReader field(record + 4);
  EndFields f{};
  f.thisDisk = field.u16();
  f.centralStartDisk = field.u16();
  f.entriesOnThisDisk = field.u16();
  f.totalEntries = field.u16();
  f.centralSize = field.u32();
  f.centralOffset = field.u32();
  f.commentLength = field.u16();
  return f;
}

// Whether the record at `at` is the archive's own rather than one inside its comment: its
// comment ends where the file ends, and on a single disk its directory ends right before it
// (or before the 64-bit end record its locator points at). A record on another disk of a set
// can only be checked by its comment.
bool endsTheArchive(TStream& stream, const EndFields& f, std::int64_t at, std::int64_t size) {
  if (at + kEndRecordSize + f.commentLength != size)
    return false;
  if (f.thisDisk != 0 && f.thisDisk != kZip64Marker16)
    return true;
  const Zip64EndRead zip64 = ReadZip64End(stream, at);
  if (zip64.status == Zip64EndStatus::Found) {
    const Zip64End& r = zip64.record;
    return r.centralOffset <= static_cast<std::uint64_t>(r.recordPosition) &&
           r.centralOffset + r.centralSize == static_cast<std::uint64_t>(r.recordPosition);
  }
  return std::uint64_t{f.centralOffset} + f.centralSize == static_cast<std::uint64_t>(at);
}

} // namespace

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
  // A comment may itself hold the signature, even a whole end record of another archive: the
  // record nearest the end that ends the archive wins; when none does (an archive behind a
  // stub, a damaged comment length), the record nearest the end.
  std::int64_t chosen = -1;
  for (std::int64_t i = span - kEndRecordSize; i >= 0; --i) {
    if (tail[static_cast<std::size_t>(i)] != (kEndRecordSignature & 0xFF) ||
        record::FieldReader(tail.data() + i).u32() != kEndRecordSignature) {
      continue;
    }
    if (chosen < 0)
      chosen = i;
    const std::int64_t at = size - span + i;
    if (endsTheArchive(stream, readEndFields(tail.data() + i), at, size)) {
      chosen = i;
      break;
    }
  }
  if (chosen < 0) {
    stream.SetPosition(start);
    return false;
  }
  const EndFields f = readEndFields(tail.data() + chosen);
  ThisDisk = f.thisDisk;
  CentralStartDisk = f.centralStartDisk;
  EntriesOnThisDisk = f.entriesOnThisDisk;
  TotalEntries = f.totalEntries;
  CentralSize = f.centralSize;
  CentralOffset = f.centralOffset;
  CommentLength = f.commentLength;
  CommentPosition = size - span + chosen + kEndRecordSize;
  return true;
}

} // namespace larkspur::zip
