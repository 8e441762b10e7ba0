// The 64-bit extensions of the ZIP records: the end record and its locator that precede the
// classic end record, and the extra field (id 0x0001) holding an entry's large sizes and offset;
// read with every length checked, and written in the application note's layout.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "zip/format/stream.h"

namespace larkspur::zip {

inline constexpr std::uint32_t kZip64EndSignature = 0x06064B50;     // "PK\6\6"
inline constexpr std::uint32_t kZip64LocatorSignature = 0x07064B50; // "PK\6\7"
inline constexpr int kZip64EndSize = 56; // fixed part, before the extensible data
inline constexpr int kZip64LocatorSize = 20;
inline constexpr std::uint16_t kZip64ExtraId = 0x0001;
// A classic field holding all ones defers to the 64-bit value.
inline constexpr std::uint32_t kZip64Marker32 = 0xFFFFFFFF;
inline constexpr std::uint16_t kZip64Marker16 = 0xFFFF;
// "Version needed to extract" of an entry or end record that uses the 64-bit fields (4.5).
inline constexpr std::uint16_t kZip64Version = 45;
// The extra field a local header gives its two sizes in: id, length, two 64-bit values.
inline constexpr int kZip64LocalExtraSize = 4 + 8 + 8;
// What the 64-bit end record's own size field counts: its fixed part after that field.
inline constexpr std::uint64_t kZip64EndRemainder = kZip64EndSize - 12;
static_assert(kZip64EndRemainder == 44);

// The fields of the 64-bit end record and where it lies.
struct Zip64End {
  std::uint32_t thisDisk = 0;
  std::uint32_t centralStartDisk = 0;
  std::uint64_t entriesOnThisDisk = 0;
  std::uint64_t totalEntries = 0;
  std::uint64_t centralSize = 0;
  std::uint64_t centralOffset = 0;
  std::int64_t recordPosition = 0;
};

enum class Zip64EndStatus { Absent, Found, Damaged };

struct Zip64EndRead {
  Zip64EndStatus status = Zip64EndStatus::Absent;
  Zip64End record;
};

// Looks for the locator right before the classic end record at `endRecordAt` and the 64-bit end
// record it points at. Damaged: a locator is there but its record is not, or does not fit.
Zip64EndRead ReadZip64End(TStream& stream, std::int64_t endRecordAt);

// The values an entry's 64-bit extra field gives for those classic fields that hold the marker.
struct Zip64EntryValues {
  std::optional<std::uint64_t> uncompressedSize;
  std::optional<std::uint64_t> compressedSize;
  std::optional<std::uint64_t> localHeaderOffset;
  std::optional<std::uint32_t> diskNumberStart;
};

// The classic fields as a header holds them: which of them the extra field must supply.
struct ClassicEntryFields {
  std::uint32_t uncompressedSize;
  std::uint32_t compressedSize;
  std::uint32_t localHeaderOffset;
  std::uint16_t diskNumberStart;
  bool hasOffsetAndDisk; // central headers only
};

// Decodes the 64-bit extra field from an extra block: a value for each marked classic field.
// Empty when nothing is marked or there is no such field; nullopt when the field is too short
// for the fields marked.
std::optional<Zip64EntryValues> DecodeZip64Extra(std::string_view extra,
                                                 const ClassicEntryFields& classic);

// The extra block without its 64-bit field(s), every other field as it was; bytes after a field
// that runs past the block's end are kept as they are.
std::string WithoutZip64Field(std::string_view extra);

// The 64-bit extra field holding the values given, in the note's fixed order (size, packed size,
// offset, disk); empty when no value is given. A local header gives both sizes.
std::string EncodeZip64Extra(const Zip64EntryValues& values);

// Writes the 64-bit end record of `end` at the stream's position, then the locator that points
// at it; the classic end record follows them. A single file: disk 0 of 1 disk.
void WriteZip64EndAndLocator(TStream& stream, const Zip64End& end);

} // namespace larkspur::zip
