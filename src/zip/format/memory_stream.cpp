// Memory stream: a byte vector and a position.
#include "zip/format/memory_stream.h"

#include <algorithm>
#include <cstring>

#include "zip/format/seek_support.h"

namespace larkspur::zip {

TMemoryStream::TMemoryStream(std::string bytes) : data_(bytes.begin(), bytes.end()) {}

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count) {
  const auto size = static_cast<std::int64_t>(data_.size());
  if (count <= 0 || position_ < 0 || position_ >= size)
    return 0;
  const std::int64_t n = std::min(count, size - position_);
  std::memcpy(buffer, data_.data() + position_, static_cast<std::size_t>(n));
  position_ += n;
  return n;
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0 || position_ < 0)
    return 0;
  // Refuse what no vector could hold rather than fail inside the allocation.
  const auto limit = static_cast<std::int64_t>(std::min<std::size_t>(data_.max_size(), INT64_MAX));
  if (position_ > limit - count)
    return 0;
  const std::int64_t end = position_ + count;
  if (end > static_cast<std::int64_t>(data_.size()))
    data_.resize(static_cast<std::size_t>(end));
  std::memcpy(data_.data() + position_, buffer, static_cast<std::size_t>(count));
  position_ = end;
  return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, int origin) {
  switch (origin) {
  case soBeginning:
    position_ = offset;
    break;
  case soCurrent:
    position_ = AddSaturated(position_, offset);
    break;
  case soEnd:
    position_ = AddSaturated(static_cast<std::int64_t>(data_.size()), offset);
    break;
  default:
    RaiseInvalidSeekOrigin(origin);
  }
  return position_;
}

void TMemoryStream::SetSize(std::int64_t size) {
  data_.resize(static_cast<std::size_t>(std::max<std::int64_t>(size, 0)));
}

void TMemoryStream::Clear() {
  data_.clear();
  position_ = 0;
}

} // namespace larkspur::zip
