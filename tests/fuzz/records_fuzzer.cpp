// Arbitrary bytes as an archive: the end-record scan, the central directory it points to, the
// local headers from the start, and every entry read written back and read again unchanged
// (its 64-bit values too);
// the entries also go through the sorted lists in a mode the input picks.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/error.h"
#include "zip/format/end_central.h"
#include "zip/format/memory_stream.h"
#include "zip/format/sorted_zip.h"
#include "zip/format/zip_header_info.h"
#include "zip/format/zip_signatures.h"

namespace {

using namespace larkspur::zip;

void check(bool condition) {
  if (!condition)
    __builtin_trap();
}

bool sameHeaderFields(const TZipHeaderInfo& a, const TZipHeaderInfo& b) {
  return a.VersionNeeded == b.VersionNeeded && a.Flags == b.Flags &&
         a.CompressionMethod == b.CompressionMethod && a.FileDateTime == b.FileDateTime &&
         a.Crc32 == b.Crc32 && a.CompressedSize == b.CompressedSize &&
         a.UncompressedSize == b.UncompressedSize && a.StoredName() == b.StoredName();
}

// What is read, written back with its name bytes as read, and read again must not change; the
// central header, with its host byte and extra fields, also gives the same name.
void roundTrip(const TZipHeaderInfo& entry) {
  TMemoryStream out;
  TZipHeaderInfo copy, central; // writing the local header moves its offset: two copies
  copy.Assign(entry);
  copy.KeepNameAsRead();
  central.Assign(entry);
  central.KeepNameAsRead();
  copy.WriteLocalHeader(out);
  central.WriteCentralHeader(out);
  out.SetPosition(0);
  TZipHeaderInfo again;
  check(again.ReadLocalHeader(out));
  check(sameHeaderFields(again, entry) && again.LocalExtraLength == entry.LocalExtraLength);
  // The local extra bytes are announced but not written: the central header follows the name.
  out.SetPosition(copy.LocalHeaderSize() - copy.LocalExtraLength);
  check(again.ReadCentralHeader(out));
  check(sameHeaderFields(again, entry) && again.ExternalAttributes == entry.ExternalAttributes &&
        again.LocalHeaderOffset == entry.LocalHeaderOffset &&
        again.CentralExtra() == entry.CentralExtra() && again.FileName() == entry.FileName() &&
        again.Directory() == entry.Directory() && again.NameSpelled() == entry.NameSpelled());
  // The 64-bit values are written back as they were read.
  check(again.Size() == entry.Size() && again.PackedSize() == entry.PackedSize() &&
        again.HeaderOffset() == entry.HeaderOffset());
}

constexpr int kMaxEntries = 2000; // keeps one run short; the lists are tested beyond that

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TMemoryStream stream(bytes);
  std::vector<std::unique_ptr<TZipHeaderInfo>> entries;

  TEndCentral end;
  if (end.LocateEndRecord(stream)) {
    stream.SetPosition(end.CentralOffset);
    bool switched = false;
    TMemoryStream nextDisk(bytes);
    const TNextDiskHandler handler = [&]() -> TStream& {
      switched = true;
      return nextDisk;
    };
    TStream* current = &stream;
    for (int i = 0; i < end.TotalEntries && i < kMaxEntries; ++i) {
      auto e = std::make_unique<TZipHeaderInfo>();
      const bool wasSwitched = switched;
      try {
        if (!e->ReadCentralHeader(*current, switched ? nullptr : handler))
          break;
      } catch (const larkspur::Error&) {
        break; // a damaged 64-bit extra field is reported, not read past
      }
      if (switched && !wasSwitched)
        current = &nextDisk;
      entries.push_back(std::move(e));
    }
  }

  stream.SetPosition(0);
  for (int i = 0; i < kMaxEntries; ++i) {
    auto e = std::make_unique<TZipHeaderInfo>();
    const std::int64_t start = stream.Position();
    if (!e->ReadLocalHeader(stream)) {
      check(stream.Position() == start);
      break;
    }
    const std::int64_t skip = std::int64_t{e->CompressedSize} + e->LocalExtraLength +
                              (e->HasDataDescriptor() ? kDataDescriptorSize : 0);
    entries.push_back(std::move(e));
    if (skip <= 0)
      break; // a step back or in place would walk in circles
    stream.Seek(skip, 1);
  }

  for (const auto& e : entries)
    roundTrip(*e);

  const auto mode = static_cast<TZipSortMode>(size == 0 ? 0 : data[0] % 9);
  TSortedZip view(false, TDuplicates::dupAccept);
  view.SortMode = mode;
  TSortedZip index(false, TDuplicates::dupIgnore);
  index.SortMode = mode;
  for (const auto& e : entries) {
    view.Add(e.get());
    index.Add(e.get());
    int at = 0;
    index.Find(e.get(), at);
    check(at >= 0 && at <= index.ItemCount());
  }
  check(view.ItemCount() == static_cast<int>(entries.size()));
  return 0;
}
