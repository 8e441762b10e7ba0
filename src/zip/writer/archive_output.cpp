// Size-limit and full-disk checks on the way to the archive file.
#include "zip/writer/archive_output.h"

#include "zip/writer/writer_errors.h"

namespace larkspur::zip {

std::int64_t ArchiveOutput::Read(void* buffer, std::int64_t count) {
  return file_.Read(buffer, count);
}

std::int64_t ArchiveOutput::Write(const void* buffer, std::int64_t count) {
  if (count <= 0)
    return 0;
  const std::int64_t at = file_.Position();
  CheckArchiveEnd(limits_, static_cast<std::uint64_t>(at) + static_cast<std::uint64_t>(count));
  if (file_.Write(buffer, count) != count)
    throw ENotEnoughRoom();
  return count;
}

std::int64_t ArchiveOutput::Seek(std::int64_t offset, int origin) {
  return file_.Seek(offset, origin);
}

} // namespace larkspur::zip
