// Size-limit and full-disk checks on the way to the archive file.
#include "zip/writer/archive_output.h"

#include "zip/writer/writer_errors.h"

namespace larkspur::zip {

std::int64_t ArchiveOutput::Read(void* buffer, std::int64_t count) {
  const std::int64_t got = file_.Read(buffer, count);
  position_ += got;
  return got;
}

std::int64_t ArchiveOutput::Write(const void* buffer, std::int64_t count) {
  if (count <= 0)
    return 0;
  CheckArchiveEnd(limits_,
                  static_cast<std::uint64_t>(position_) + static_cast<std::uint64_t>(count));
  if (file_.Write(buffer, count) != count)
    throw ENotEnoughRoom();
  position_ += count;
  return count;
}

std::int64_t ArchiveOutput::Seek(std::int64_t offset, int origin) {
  if (origin == soCurrent && offset == 0)
    return position_; // where we are: no need to ask the file
  // Moving away first writes out what is buffered: on a full disk that is where the write fails,
  // and the buffer reports it as a failed seek.
  try {
    position_ = file_.Seek(offset, origin);
  } catch (const Error&) {
    throw ENotEnoughRoom();
  }
  return position_;
}

} // namespace larkspur::zip
