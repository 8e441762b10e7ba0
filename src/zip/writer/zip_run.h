// The state of one Zip call: the output file and its guard, the new directory in written order,
// the name index that refuses a second entry of one name, the new end record, the counters and
// the compressor's work areas. It lives from the start of the operation to its commit or failure.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "deflate/deflate_buffers.h"
#include "zip/format/end_central.h"
#include "zip/format/lfn_file_stream.h"
#include "zip/format/sorted_zip.h"
#include "zip/format/zip_header_info.h"
#include "zip/writer/ahead_compressor.h"
#include "zip/writer/archive_lock.h"
#include "zip/writer/archive_output.h"
#include "zip/writer/carried_byte.h"
#include "zip/writer/temp_archive.h"

namespace larkspur::zip {

class TZipWriter;
class MultiDiskOutput;

class ZipRun {
public:
  explicit ZipRun(TZipWriter& writer);
  ~ZipRun();
  ZipRun(const ZipRun&) = delete;
  ZipRun& operator=(const ZipRun&) = delete;

  // Opens the output (the temporary file, or a multi-disk set's first file, created or
  // emptied) and creates the empty directory structures.
  void CreateOutput(const std::string& name);
  // Creates the next output file of a multi-disk set once CloseOutput finished the last one.
  void OpenNextOutput(const std::string& name);
  // Flushes and closes the output; raises ENotEnoughRoom when the last bytes did not fit.
  void CloseOutput();
  // Closes the output without flushing and deletes the output file, and for a multi-disk set
  // every file this run finished (the failure path).
  void DiscardOutput();

  // Whether the new archive already holds an entry of this directory and file name (compared
  // without regard to case), other than a case variant beside the entry being replaced.
  bool NameTaken(const std::string& directory, const std::string& fileName) const;
  // The exact directory and file name of the archive entry a file is replacing, or empty.
  void SetReplacing(std::string name) { replacing_ = std::move(name); }
  // Refuses one more entry when the entry count would no longer fit its field.
  void CheckRoomForEntry() const;
  // A new or replacing entry written from the file `source`: counted, indexed, appended.
  void AddWrittenEntry(std::unique_ptr<TZipHeaderInfo> header, const std::string& source);
  // An entry carried over unchanged: indexed (unless an entry of its name already is, which a
  // foreign archive may hold) and appended, not counted.
  void AddKeptEntry(std::unique_ptr<TZipHeaderInfo> header);

  // The central directory and the end record, at the current output position.
  void WriteDirectory();

  // Hands the new directory and end record over to the writer (after a commit).
  std::unique_ptr<TSortedZip> TakeDirectory() { return std::move(newDirectory_); }
  const TSortedZip& Directory() const { return *newDirectory_; }

  TStream& Output() { return *output_; }
  TEndCentral& EndRecord() { return newEnd_; }
  deflate::TDeflateBuffers& Buffers();
  // The compressor's buffers, and the workers with what they compressed ahead.
  void ReleaseBuffers() {
    ahead.reset();
    buffers_.reset();
  }

  std::string outputName;
  bool updating = false;
  // A single-file archive is written here and moved into place at the commit.
  std::unique_ptr<TempArchive> temp;
  // Held by an update for its whole run.
  std::optional<ArchiveLock> lock;
  // The new archive is in place: a later failure must not delete it.
  bool committedOutput = false;
  std::int32_t count = 0;
  std::optional<std::vector<std::string>> disposeList;
  std::int64_t totalBytes = 0;
  std::int64_t bytesDone = 0;
  // Set when the archive is split over disks or block files; null for a single file.
  std::unique_ptr<MultiDiskOutput> multi;
  // The byte the compressor hands from one entry to the next along the archive's order.
  CarriedByte carry;
  // Files of the main loop compressed ahead on worker threads; null with one thread.
  std::unique_ptr<AheadCompressor> ahead;

private:
  const TZipHeaderInfo* indexed(const std::string& directory, const std::string& fileName) const;
  void openFile(const std::string& name);

  TZipWriter& writer_;
  std::string replacing_;
  std::unique_ptr<TLFNFileStream> file_;
  std::unique_ptr<ArchiveOutput> output_;
  std::unique_ptr<TSortedZip> newDirectory_;
  std::unique_ptr<TSortedZip> nameIndex_;
  TEndCentral newEnd_;
  std::unique_ptr<deflate::TDeflateBuffers> buffers_;
};

} // namespace larkspur::zip
