// Reads a tar archive entry by entry from a byte source (a file, or a GzipReader for .tar.gz):
// ustar, GNU long names and pax path/size records; regular files and folders are extracted,
// everything else (links, devices, unknown types) is reported as skipped with its reason.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "extract/byte_source.h"
#include "extract/tar_header.h"

namespace larkspur::extract {

enum class TarEntryType { File, Directory, Skipped };

struct TarEntry {
  std::string name;       // as stored, "/" separators (a folder's usually ends with "/")
  std::uint64_t size = 0; // data bytes read() delivers (0 unless a file)
  std::uint32_t mode = 0; // permission bits (07777)
  std::int64_t mtime = 0; // seconds since 1970
  TarEntryType type = TarEntryType::File;
  char typeFlag = '0';    // the header's type byte
  std::string skipReason; // for Skipped: why it is not extracted
};

class TarReader {
public:
  explicit TarReader(ByteSource& source);

  // Moves to the next entry (skipping what was not read of the current one); false at the end
  // of the archive, after reading the source to its end (so a GzipReader under it has checked
  // its trailer). Throws ETarError for a damaged or truncated archive, and whatever the source
  // throws.
  bool next(TarEntry& entry);

  // The current entry's data; 0 once all of it was read.
  std::size_t read(std::span<std::uint8_t> into);

private:
  bool readBlock(TarBlock& block);
  void readExactly(std::span<std::uint8_t> into);
  void skip(std::uint64_t count);
  std::string readMetadata(const TarHeaderFields& header, std::uint64_t limit);

  ByteSource& source_;
  std::vector<std::uint8_t> scratch_;
  std::uint64_t dataLeft_ = 0;
  std::uint64_t paddingLeft_ = 0;
  bool fileData_ = false; // whether read() delivers the current entry's data
  bool ended_ = false;
};

} // namespace larkspur::extract
