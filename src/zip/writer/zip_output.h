// The new archive's bytes from the first local header to the commit, behind one interface: a
// single file beside the archive, moved into place at the commit, or a set of disks or block
// files. The writer chooses the output once, when it creates it; every step after that only
// places entries, writes the directory and commits or discards.
#pragma once

#include <cstdint>
#include <functional>

#include "zip/format/end_central.h"
#include "zip/format/sorted_zip.h"
#include "zip/format/stream.h"
#include "zip/format/zip_header_info.h"

namespace larkspur::zip {

// How an entry's bytes after its local header reach the output.
struct EntryData {
  // Writes the data (and anything else that follows the local header) to `out` and completes
  // the header's CRC, sizes and flags. Empty for an entry without data (a folder).
  std::function<void(TStream& out)> write;
  // The header's fields are final before the data is written (a raw copy of a kept entry), so
  // the local header is written once; otherwise it is written again once the data is done.
  bool headerFinal = false;
};

class ZipOutput {
public:
  virtual ~ZipOutput() = default;

  // Whether this run rebuilds an existing archive (carrying its entries over) rather than
  // writing a new one.
  virtual bool Updates() const = 0;
  // How often each byte of a source file passes through the run's work: 1 when it goes straight
  // into the archive, 2 when it is written to a spill file first and copied from there.
  virtual int PassesPerByte() const = 0;
  // Where the next local header would start on the current disk.
  virtual std::int64_t Position() = 0;

  // Writes the local header of `header` (its disk and offset set to where it lands), then the
  // data, then, unless the data says the header was final, the local header again with the
  // data's CRC and sizes.
  virtual void PlaceEntry(TZipHeaderInfo& header, const EntryData& data) = 0;
  // The central directory of `directory` in its order and the end record `end`, whose offset,
  // size and disk fields are set here.
  virtual void WriteDirectory(const TSortedZip& directory, TEndCentral& end) = 0;
  // Makes the written archive the archive under its name. After a commit, Discard does nothing.
  virtual void Commit() = 0;
  // After a failure: removes what this run wrote, leaving any existing archive as it was.
  virtual void Discard() = 0;
};

} // namespace larkspur::zip
