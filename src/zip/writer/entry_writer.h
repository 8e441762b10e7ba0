// The entry writer: turns one FilesList string into one entry of the archive being written. It
// opens the source, fills the header, refuses a name the new archive already holds, writes the
// local header, stores or deflates the data while keeping the CRC-32 and reporting progress, and
// rewrites the local header in place with the final CRC and sizes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "deflate/deflate.h"
#include "zip/format/lfn_file_stream.h"
#include "zip/format/zip_header_info.h"
#include "zip/writer/archive_output.h"
#include "zip/writer/compressed_entry.h"
#include "zip/writer/zip_crypto.h"

namespace larkspur::zip {

class TZipWriter;
class ZipRun;

class EntryWriter final : public deflate::TDeflateIo, private CompressedEntry::Replay {
public:
  EntryWriter(TZipWriter& writer, ZipRun& run) : writer_(writer), run_(run) {}

  // Writes the entry for `spec` into `header` and the output: true when an entry was written,
  // false when nothing was (the file vanished, could not be opened, its name is taken, or
  // OnStartZip skipped it). Raises on a write, read, limit or cancel failure.
  bool ZipOneFile(TZipHeaderInfo& header, const std::string& spec);
  // The job of the run's ahead compressor that the next file is, if any.
  void SetAheadJob(std::optional<std::size_t> index) { aheadJob_ = index; }

  // The compressor's side: source bytes in, archive bytes out.
  std::uint32_t read(std::uint8_t* destination, std::uint32_t count) override;
  void write(const std::uint8_t* buffer, std::uint32_t count) override;

private:
  // An entry compressed ahead stands in for the file's compression: its reads and writes.
  void replayRead(std::uint32_t count) override;
  void replayWrite(const std::uint8_t* buffer, std::uint32_t count) override;
  // Progress, size limit and totals for `count` bytes read from the source.
  void countRead(std::uint32_t count);
  // What a worker compressed of this file, when it is what the writer would write now.
  std::unique_ptr<CompressedEntry> takeAhead(int level);

  // Opens the source, asking OnSkippingFile whether to retry when it cannot be opened.
  bool openSource(const std::string& spec);
  void setDirectoryTime(TZipHeaderInfo& header, const std::string& spec) const;
  // The data (stored, deflated, encrypted), then the local header with its final fields.
  void writeData(TZipHeaderInfo& header);
  void storeData();
  // The source's CRC-32 from a pass of its own, for the encryption header; rewinds the source.
  std::uint32_t sourceCrc();
  void rewriteLocalHeader(TZipHeaderInfo& header);
  // Multi-disk output: the entry's data goes to a spill file first, since a disk may fill
  // before the data ends and its local header must come first.
  void openSpill();
  void finishSpill();
  void dropSpill();
  // Where the entry's data goes: the spill file, else the archive.
  TStream& dataOut();
  // Reports a name the new archive already holds and takes the file out of the total.
  void leaveOut(const std::string& spec, const std::string& fname, bool isFile);

  TZipWriter& writer_;
  ZipRun& run_;
  std::unique_ptr<TLFNFileStream> input_;
  std::string sourceName_;
  std::int64_t sourceSize_ = 0; // size when opened, the base of the file percentage
  std::int64_t bytesRead_ = 0;  // bytes read of the current file
  std::uint32_t crc_ = 0;
  std::optional<ZipCrypto> crypto_;
  std::vector<std::uint8_t> cipher_;
  std::string spillName_;
  std::unique_ptr<TLFNFileStream> spill_;
  std::unique_ptr<ArchiveOutput> spillOut_;
  std::optional<std::size_t> aheadJob_;
};

} // namespace larkspur::zip
