// The stream every byte of a new archive goes through: headers, entry data, raw copies and the
// directory. It refuses a write that would take the archive past the format's size limit and
// turns a short write (a full disk) into ENotEnoughRoom, so no caller can miss either. It keeps
// the position itself: asking the file would cost a system call for every header written.
#pragma once

#include <cstdint>

#include "zip/format/stream.h"
#include "zip/writer/zip_limits.h"

namespace larkspur::zip {

class ArchiveOutput : public TStream {
public:
  ArchiveOutput(TStream& file, const ZipLimits& limits)
      : file_(file), limits_(limits), position_(file.Position()) {}

  std::int64_t Read(void* buffer, std::int64_t count) override;
  // Writes all of `count` bytes or raises (EZipLimit, ENotEnoughRoom).
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, int origin) override;

private:
  TStream& file_;
  const ZipLimits& limits_;
  std::int64_t position_;
};

} // namespace larkspur::zip
