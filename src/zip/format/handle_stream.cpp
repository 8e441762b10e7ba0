// Forwards stream calls to the platform file, turning counts and origins into its types.
#include "zip/format/handle_stream.h"

#include "zip/format/seek_support.h"

namespace larkspur::zip {

THandleStream::THandleStream(platform::File file) : file_(std::move(file)) {}

std::int64_t THandleStream::Read(void* buffer, std::int64_t count) {
  if (count <= 0)
    return 0;
  return static_cast<std::int64_t>(file_.read(buffer, static_cast<std::size_t>(count)));
}

std::int64_t THandleStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0)
    return 0;
  return static_cast<std::int64_t>(file_.write(buffer, static_cast<std::size_t>(count)));
}

// The stream's origins are handed to the file as they are.
static_assert(soBeginning == static_cast<int>(platform::SeekOrigin::Begin) &&
              soCurrent == static_cast<int>(platform::SeekOrigin::Current) &&
              soEnd == static_cast<int>(platform::SeekOrigin::End));

std::int64_t THandleStream::Seek(std::int64_t offset, int origin) {
  if (origin < soBeginning || origin > soEnd)
    RaiseInvalidSeekOrigin(origin);
  return file_.seek(offset, static_cast<platform::SeekOrigin>(origin));
}

void THandleStream::FlushToDisk() {
  file_.flushToDisk();
}

} // namespace larkspur::zip
