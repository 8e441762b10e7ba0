// Rebuilding a directory from the local headers of a damaged archive: scan for the first one,
// then walk from header to header over each entry's data.
#include "zip/format/zip_reader.h"

#include <algorithm>

#include "platform/paths.h"
#include "zip/format/list_error.h"
#include "zip/format/local_header_scan.h"

namespace larkspur::zip {

bool TZipReader::rebuildFromLocalHeaders(TStream& stream) {
  if (rebuilt_)
    return false;
  rebuilt_ = true;
  dropDirectory();

  const bool selfExtracting = paths::SameTextAscii(paths::ExtractFileExt(zipName_), ".EXE");
  stream.Seek(selfExtracting ? kSfxScanStart : 0, soBeginning);
  if (!ScanForLocalHeader(stream, [this] { checkCancel(); }))
    return false;

  entries_ = newDirectory();
  for (;;) {
    auto entry = std::make_unique<TZipHeaderInfo>();
    if (!entry->ReadLocalHeader(stream))
      break;
    // The sizes are unsigned on disk: taken that way every step goes forward, so a hostile
    // size can neither loop nor revisit a header. A size past the end of the file ends the walk
    // after its entry (a 64-bit one could wrap the position).
    const std::uint64_t packed = entry->PackedSize();
    const bool pastTheEnd = packed > static_cast<std::uint64_t>(stream.Size());
    std::int64_t next = stream.Position() + entry->LocalExtraLength +
                        static_cast<std::int64_t>(pastTheEnd ? 0 : packed);
    if (entry->HasDataDescriptor())
      next += kDataDescriptorSize;
    try {
      entries_->AddOwned(entry);
    } catch (const EListError&) {
      break; // a second header at one offset: the walk did not go forward
    }
    if (pastTheEnd)
      break;
    stream.Seek(next, soBeginning);
  }

  endRecord_.ThisDisk = 0;
  const auto offset = static_cast<std::uint64_t>(stream.Position());
  const auto count = static_cast<std::uint64_t>(entries_->ItemCount());
  endRecord_.CentralOffset =
      static_cast<std::uint32_t>(std::min<std::uint64_t>(offset, kZip64Marker32));
  endRecord_.TotalEntries =
      static_cast<std::uint16_t>(std::min<std::uint64_t>(count, kZip64Marker16));
  // Where the entries end and how many there are, past 4 GiB and 65535 entries too; a 64-bit
  // record read before describes a directory that was not used.
  endRecord_.Zip64.reset();
  if (offset >= kZip64Marker32 || count >= kZip64Marker16)
    endRecord_.Zip64 = Zip64End{0, 0, count, count, 0, offset, 0};
  activeDisk_ = 0;
  diskCount_ = 1;
  // What the scan found is one single-file archive, whatever was read before.
  SetMultiMode(TMultiMode::mmNone);
  return true;
}

} // namespace larkspur::zip
