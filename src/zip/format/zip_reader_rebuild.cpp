// Rebuilding a directory from the local headers of a damaged archive: scan for the first one,
// then walk from header to header over each entry's data.
#include "zip/format/zip_reader.h"

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
    // size can neither loop nor revisit a header.
    std::int64_t next = stream.Position() + entry->LocalExtraLength +
                        static_cast<std::uint32_t>(entry->CompressedSize);
    if (entry->HasDataDescriptor())
      next += kDataDescriptorSize;
    try {
      entries_->AddOwned(entry);
    } catch (const EListError&) {
      break; // only a file beyond 4 GiB can wrap an offset onto an earlier one
    }
    stream.Seek(next, soBeginning);
  }

  endRecord_.ThisDisk = 0;
  endRecord_.CentralOffset = static_cast<std::uint32_t>(stream.Position());
  endRecord_.TotalEntries = static_cast<std::uint16_t>(entries_->ItemCount());
  activeDisk_ = 0;
  diskCount_ = 1;
  // What the scan found is one single-file archive, whatever was read before.
  SetMultiMode(TMultiMode::mmNone);
  return true;
}

} // namespace larkspur::zip
