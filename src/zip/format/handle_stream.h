// A platform file seen as a stream: the unbuffered source behind every buffered file stream.
#pragma once

#include "platform/platform.h"
#include "zip/format/stream.h"

namespace larkspur::zip {

class THandleStream : public TStream {
public:
  explicit THandleStream(platform::File file);

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, int origin) override;
  bool SetSize(std::int64_t size) { return file_.setSize(size); }

  // Asks the system to put the file's buffers on disk; virtual so tests can watch it.
  virtual void FlushToDisk();

private:
  platform::File file_;
};

} // namespace larkspur::zip
