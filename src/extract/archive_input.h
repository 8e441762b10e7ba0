// Reads an archive's entry data through the reader's open file, going on to the next block or
// disk of a multi-disk set where an entry's data runs past the end of one.
#pragma once

#include <cstddef>
#include <cstdint>

#include "zip/format/zip_reader.h"

namespace larkspur::extract {

class ArchiveInput {
public:
  // `reader` has its directory read and its archive open.
  explicit ArchiveInput(zip::TZipReader& reader) : reader_(reader) {}

  // Places the input at `offset` of disk `disk` (counted from 0); false when there is no such
  // disk or position.
  bool seek(int disk, std::uint64_t offset);
  // Reads up to `count` bytes; fewer only where the archive ends.
  std::size_t read(void* buffer, std::size_t count);

private:
  zip::TStream& stream();

  zip::TZipReader& reader_;
};

} // namespace larkspur::extract
