// Reading the 64-bit end record, its locator and the 64-bit extra field, with every length
// checked against the bytes at hand; and writing them.
#include "zip/format/zip64_records.h"

#include "zip/format/record_bytes.h"
#include "zip/format/zip_signatures.h"

namespace larkspur::zip {

namespace {

std::uint64_t u64(record::FieldReader& field) {
  const std::uint64_t low = field.u32();
  return low | (std::uint64_t{field.u32()} << 32);
}

bool readExactly(TStream& stream, std::int64_t position, unsigned char* buffer, int length) {
  if (position < 0 || position + length > stream.Size())
    return false;
  stream.Seek(position, soBeginning);
  return stream.Read(buffer, length) == length;
}

} // namespace

Zip64EndRead ReadZip64End(TStream& stream, std::int64_t endRecordAt) {
  Zip64EndRead result;
  const std::int64_t start = stream.Position();
  unsigned char locator[kZip64LocatorSize];
  if (!readExactly(stream, endRecordAt - kZip64LocatorSize, locator, kZip64LocatorSize) ||
      record::FieldReader(locator).u32() != kZip64LocatorSignature) {
    stream.SetPosition(start);
    return result;
  }
  record::FieldReader field(locator + 4);
  field.u32(); // disk of the 64-bit end record: a single file has only disk 0
  const std::uint64_t at = u64(field);
  result.status = Zip64EndStatus::Damaged;
  unsigned char fixed[kZip64EndSize];
  // The record lies before its locator; anything else is not where a writer puts it.
  if (at > static_cast<std::uint64_t>(endRecordAt - kZip64LocatorSize - kZip64EndSize) ||
      !readExactly(stream, static_cast<std::int64_t>(at), fixed, kZip64EndSize)) {
    stream.SetPosition(start);
    return result;
  }
  record::FieldReader end(fixed);
  if (end.u32() != kZip64EndSignature) {
    stream.SetPosition(start);
    return result;
  }
  u64(end);  // size of the rest of the record; its extensible data is not needed
  end.u16(); // version made by
  end.u16(); // version needed
  Zip64End& r = result.record;
  r.thisDisk = end.u32();
  r.centralStartDisk = end.u32();
  r.entriesOnThisDisk = u64(end);
  r.totalEntries = u64(end);
  r.centralSize = u64(end);
  r.centralOffset = u64(end);
  r.recordPosition = static_cast<std::int64_t>(at);
  // The directory has to fit before the record; each header takes at least its fixed part.
  if (r.centralOffset <= at && r.centralSize <= at - r.centralOffset &&
      r.totalEntries <= r.centralSize / kCentralHeaderSize &&
      r.entriesOnThisDisk <= r.totalEntries) {
    result.status = Zip64EndStatus::Found;
  }
  stream.SetPosition(start);
  return result;
}

std::optional<Zip64EntryValues> DecodeZip64Extra(std::string_view extra,
                                                 const ClassicEntryFields& classic) {
  Zip64EntryValues values;
  const bool wantSize = classic.uncompressedSize == kZip64Marker32;
  const bool wantPacked = classic.compressedSize == kZip64Marker32;
  const bool wantOffset = classic.hasOffsetAndDisk && classic.localHeaderOffset == kZip64Marker32;
  const bool wantDisk = classic.hasOffsetAndDisk && classic.diskNumberStart == kZip64Marker16;
  if (!wantSize && !wantPacked && !wantOffset && !wantDisk)
    return values;
  std::size_t at = 0;
  while (extra.size() - at >= 4) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(extra.data() + at);
    record::FieldReader head(bytes);
    const std::uint16_t id = head.u16();
    const std::uint16_t length = head.u16();
    if (length > extra.size() - at - 4)
      break; // trailing bytes that are no field, as some writers leave
    if (id != kZip64ExtraId) {
      at += 4u + length;
      continue;
    }
    const std::size_t needed =
        8u * (wantSize + wantPacked + wantOffset) + 4u * static_cast<std::size_t>(wantDisk);
    if (length < needed)
      return std::nullopt;
    record::FieldReader field(bytes + 4);
    if (wantSize)
      values.uncompressedSize = u64(field);
    if (wantPacked)
      values.compressedSize = u64(field);
    if (wantOffset)
      values.localHeaderOffset = u64(field);
    if (wantDisk)
      values.diskNumberStart = field.u32();
    return values;
  }
  // Without the field the classic values stand, as other readers take them.
  return values;
}

std::string WithoutZip64Field(std::string_view extra) {
  std::string kept;
  std::size_t at = 0;
  while (extra.size() - at >= 4) {
    record::FieldReader head(reinterpret_cast<const unsigned char*>(extra.data() + at));
    const std::uint16_t id = head.u16();
    const std::size_t length = head.u16();
    if (length > extra.size() - at - 4)
      break;
    if (id != kZip64ExtraId)
      kept.append(extra.substr(at, 4 + length));
    at += 4 + length;
  }
  kept.append(extra.substr(at));
  return kept;
}

std::string EncodeZip64Extra(const Zip64EntryValues& values) {
  record::FieldWriter body;
  if (values.uncompressedSize)
    body.u64(*values.uncompressedSize);
  if (values.compressedSize)
    body.u64(*values.compressedSize);
  if (values.localHeaderOffset)
    body.u64(*values.localHeaderOffset);
  if (values.diskNumberStart)
    body.u32(*values.diskNumberStart);
  if (body.data().empty())
    return {};
  record::FieldWriter field;
  field.u16(kZip64ExtraId);
  field.u16(static_cast<std::uint16_t>(body.data().size()));
  field.bytes(body.data());
  return field.data();
}

void WriteZip64EndAndLocator(TStream& stream, const Zip64End& end) {
  const auto at = static_cast<std::uint64_t>(stream.Position());
  record::FieldWriter out;
  out.u32(kZip64EndSignature);
  out.u64(kZip64EndRemainder);
  out.u16(kZip64Version); // made by: the note's version, host MS-DOS as every entry says
  out.u16(kZip64Version);
  out.u32(end.thisDisk);
  out.u32(end.centralStartDisk);
  out.u64(end.entriesOnThisDisk);
  out.u64(end.totalEntries);
  out.u64(end.centralSize);
  out.u64(end.centralOffset);
  out.u32(kZip64LocatorSignature);
  out.u32(end.thisDisk); // the disk holding the 64-bit end record
  out.u64(at);
  out.u32(end.thisDisk + 1); // disks in all
  stream.WriteBuffer(out.data().data(), static_cast<std::int64_t>(out.data().size()));
}

} // namespace larkspur::zip
