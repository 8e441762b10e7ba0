// A byte-string stream for the record tests, with a hook that lets a test see every seek.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>

#include "zip/format/stream.h"

namespace larkspur::zip::test {

class BytesStream : public TStream {
public:
  explicit BytesStream(std::string bytes = {}) : bytes_(std::move(bytes)) {}

  std::int64_t Read(void* buffer, std::int64_t count) override {
    const std::int64_t available = std::max<std::int64_t>(0, size() - position_);
    const std::int64_t n = std::min(count, available);
    if (n > 0)
      std::memcpy(buffer, bytes_.data() + position_, static_cast<std::size_t>(n));
    position_ += n;
    return n;
  }
  std::int64_t Write(const void* buffer, std::int64_t count) override {
    const auto end = static_cast<std::size_t>(position_ + count);
    if (end > bytes_.size())
      bytes_.resize(end);
    std::memcpy(bytes_.data() + position_, buffer, static_cast<std::size_t>(count));
    position_ += count;
    return count;
  }
  std::int64_t Seek(std::int64_t offset, int origin) override {
    switch (origin) {
    case 0:
      position_ = offset;
      break;
    case 1:
      position_ += offset;
      break;
    default:
      position_ = size() + offset;
      break;
    }
    if (position_ < 0)
      throw EStreamError("Seek error");
    return position_;
  }

  const std::string& bytes() const { return bytes_; }

private:
  std::int64_t size() const { return static_cast<std::int64_t>(bytes_.size()); }

  std::string bytes_;
  std::int64_t position_ = 0;
};

} // namespace larkspur::zip::test
