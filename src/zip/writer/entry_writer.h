// The entry writer: turns one FilesList string into one entry of the archive being written, in
// three steps: describe the entry (open the source, fill the header and its stored name), claim
// its name in the new archive (refusing one it already holds, asking OnStartZip), and write it
// (stored or deflated data with the CRC-32 and progress, placed by the archive's output).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "deflate/deflate.h"
#include "zip/format/lfn_file_stream.h"
#include "zip/format/zip_header_info.h"
#include "zip/writer/zip_crypto.h"

namespace larkspur::zip {

class TZipWriter;
class ZipRun;
class ZipOutput;

class EntryWriter final : public deflate::TDeflateIo {
public:
  EntryWriter(TZipWriter& writer, ZipRun& run, ZipOutput& output)
      : writer_(writer), run_(run), output_(output) {}

  // Writes the entry for `spec` into `header` and the output: true when an entry was written,
  // false when nothing was (the file vanished, could not be opened, its name is taken, or
  // OnStartZip skipped it). Raises on a write, read, limit or cancel failure.
  bool ZipOneFile(TZipHeaderInfo& header, const std::string& spec);

  // The compressor's side: source bytes in, archive bytes out.
  std::uint32_t read(std::uint8_t* destination, std::uint32_t count) override;
  void write(const std::uint8_t* buffer, std::uint32_t count) override;

private:
  // The header from the file or folder: attributes, time, size and stored name; the source is
  // left open. False when the file is gone or cannot be opened, or a folder would have no name.
  bool describe(TZipHeaderInfo& header, const std::string& spec, bool isDirectory);
  // The entry's name in the new archive, unless an entry already holds it or OnStartZip skips
  // the file (which may rename it).
  bool claimName(TZipHeaderInfo& header, const std::string& spec, bool isDirectory);
  // The data (none for a folder) through the output, then the file's archive bit and OnEndZip.
  void writeEntry(TZipHeaderInfo& header, const std::string& spec, bool isDirectory);

  // Opens the source, asking OnSkippingFile whether to retry when it cannot be opened.
  bool openSource(const std::string& spec);
  void setDirectoryTime(TZipHeaderInfo& header, const std::string& spec) const;
  // The data (stored, deflated, encrypted) to `out`, and the header's CRC, sizes and method.
  void writeData(TZipHeaderInfo& header, TStream& out);
  void storeData();
  // The source's CRC-32 from a pass of its own, for the encryption header; rewinds the source.
  std::uint32_t sourceCrc();
  // Reports a name the new archive already holds and takes the file out of the total.
  void leaveOut(const std::string& spec, bool isFile);

  TZipWriter& writer_;
  ZipRun& run_;
  ZipOutput& output_;
  std::unique_ptr<TLFNFileStream> input_;
  std::string sourceName_;
  std::string shownName_;       // the path in the form the entry is named by, for the events
  std::int64_t sourceSize_ = 0; // size when opened, the base of the file percentage
  std::int64_t bytesRead_ = 0;  // bytes read of the current file
  std::uint32_t crc_ = 0;
  std::optional<ZipCrypto> crypto_;
  std::vector<std::uint8_t> cipher_;
  TStream* dataOut_ = nullptr; // where the data goes while it is written
};

} // namespace larkspur::zip
