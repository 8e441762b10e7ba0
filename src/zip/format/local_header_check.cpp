// One pass over the local headers in the order they lie, so the buffered stream reads forward.
// Names are compared as stored, byte for byte but for the separator.
#include "zip/format/local_header_check.h"

#include <algorithm>

#include "zip/format/zip64_records.h"
#include "zip/format/zip_header_info.h"
#include "zip/format/zip_signatures.h"

namespace larkspur::zip {

namespace {

// Where the fields compared sit in the fixed part of each header.
constexpr int kLocalFlagsOffset = 6;
constexpr int kLocalSizesOffset = 18;
constexpr int kLocalNameLengthOffset = 26;

// Reads exactly `length` bytes at `position`; false when the archive ends first.
bool readAt(TStream& archive, std::int64_t position, void* buffer, std::int64_t length) {
  archive.Seek(position, soBeginning);
  return archive.Read(buffer, length) == length;
}

std::uint16_t u16At(const unsigned char* bytes, int at) {
  return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

std::uint32_t u32At(const unsigned char* bytes, int at) {
  return u16At(bytes, at) | (static_cast<std::uint32_t>(u16At(bytes, at + 2)) << 16);
}

// Stored names compared as they lie in the two headers; only the separator may differ.
std::string comparableName(std::string name) {
  std::replace(name.begin(), name.end(), '\\', '/');
  return name;
}

std::string displayName(const TZipHeaderInfo& entry) {
  return entry.Directory() + entry.FileName();
}

} // namespace

std::optional<UncopyableEntry> FindUncopyableEntry(TStream& archive, const TSortedZip& entries,
                                                   std::int64_t dataEnd) {
  const int count = entries.ItemCount();
  dataEnd = std::min(dataEnd, archive.Size());
  for (int i = 0; i < count; ++i) {
    const TZipHeaderInfo& entry = *entries.Get(i);
    const auto fail = [&](std::string reason) {
      return UncopyableEntry{displayName(entry), std::move(reason)};
    };
    const auto offset = static_cast<std::int64_t>(
        std::min<std::uint64_t>(entry.HeaderOffset(), static_cast<std::uint64_t>(dataEnd)));
    unsigned char fixed[kLocalHeaderSize];
    if (offset + kLocalHeaderSize > dataEnd || !readAt(archive, offset, fixed, kLocalHeaderSize) ||
        u32At(fixed, 0) != kLocalHeaderSignature) {
      return fail("no local header at offset " + std::to_string(offset));
    }
    std::string localName(u16At(fixed, kLocalNameLengthOffset), '\0');
    const std::uint16_t extraLength = u16At(fixed, kLocalNameLengthOffset + 2);
    if (archive.Read(localName.data(), static_cast<std::int64_t>(localName.size())) !=
        static_cast<std::int64_t>(localName.size())) {
      return fail("its local header is cut off");
    }
    if (comparableName(localName) != comparableName(entry.StoredName()))
      return fail("its local header names \"" + localName + "\"");
    const bool sizesFollowData = (u16At(fixed, kLocalFlagsOffset) & kFlagDataDescriptor) != 0;
    const std::uint32_t packed = u32At(fixed, kLocalSizesOffset);
    const std::uint32_t size = u32At(fixed, kLocalSizesOffset + 4);
    if (!sizesFollowData) {
      // A size the local header defers to its 64-bit field is compared from there; without
      // that field it says nothing about the size.
      std::optional<std::uint64_t> localPacked = packed, localSize = size;
      if (packed == kZip64Marker32 || size == kZip64Marker32) {
        std::string extra(extraLength, '\0');
        if (archive.Read(extra.data(), extraLength) != extraLength)
          return fail("its local header is cut off");
        const auto wide = DecodeZip64Extra(extra, {size, packed, 0, 0, false});
        if (!wide)
          return fail("its local header's 64-bit field is damaged");
        if (packed == kZip64Marker32)
          localPacked = wide->compressedSize;
        if (size == kZip64Marker32)
          localSize = wide->uncompressedSize;
      }
      if ((localPacked && *localPacked != entry.PackedSize()) ||
          (localSize && *localSize != entry.Size())) {
        return fail("its local header gives other sizes");
      }
    }
    // Every term is below 2^63: the offset is within the archive, the packed size checked.
    const std::uint64_t packedSize = entry.PackedSize();
    if (packedSize > static_cast<std::uint64_t>(dataEnd))
      return fail("its data runs past the start of the directory");
    const std::int64_t dataStop = offset + kLocalHeaderSize +
                                  static_cast<std::int64_t>(localName.size()) + extraLength +
                                  static_cast<std::int64_t>(packedSize);
    if (i + 1 < count && static_cast<std::uint64_t>(dataStop) > entries.Get(i + 1)->HeaderOffset())
      return fail("its data overlaps the next entry");
    if (dataStop > dataEnd)
      return fail("its data runs past the start of the directory");
  }
  return std::nullopt;
}

} // namespace larkspur::zip
