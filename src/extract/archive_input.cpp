// Entry data across the disks of a set: a short read on a disk that is not the last continues at
// the start of the next one.
#include "extract/archive_input.h"

namespace larkspur::extract {

zip::TStream& ArchiveInput::stream() {
  if (reader_.ArchiveStream() == nullptr)
    reader_.OpenArchive();
  return *reader_.ArchiveStream();
}

bool ArchiveInput::seek(int disk, std::uint64_t offset) {
  if (disk != reader_.ActiveDisk()) {
    if (reader_.MultiMode() == zip::TMultiMode::mmNone || disk < 0 || disk >= reader_.DiskCount()) {
      return false;
    }
    reader_.SwitchToDisk(disk + 1);
  }
  zip::TStream& in = stream();
  if (offset > static_cast<std::uint64_t>(in.Size()))
    return false;
  in.SetPosition(static_cast<std::int64_t>(offset));
  return true;
}

std::size_t ArchiveInput::read(void* buffer, std::size_t count) {
  auto* out = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    const std::int64_t n = stream().Read(out + done, static_cast<std::int64_t>(count - done));
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (reader_.MultiMode() == zip::TMultiMode::mmNone ||
        reader_.ActiveDisk() + 1 >= reader_.DiskCount()) {
      break;
    }
    reader_.SwitchToDisk(reader_.ActiveDisk() + 2);
  }
  return done;
}

} // namespace larkspur::extract
