// Byte sources over memory and over an open file.
#include "extract/byte_source.h"

#include <algorithm>
#include <cstring>

namespace larkspur::extract {

std::size_t MemoryByteSource::read(std::span<std::uint8_t> into) {
  const std::size_t n = std::min(into.size(), bytes_.size() - offset_);
  if (n != 0)
    std::memcpy(into.data(), bytes_.data() + offset_, n);
  offset_ += n;
  return n;
}

std::size_t FileByteSource::read(std::span<std::uint8_t> into) {
  return into.empty() ? 0 : file_.read(into.data(), into.size());
}

} // namespace larkspur::extract
