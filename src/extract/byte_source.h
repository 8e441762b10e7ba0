// Where the gzip and tar readers get their bytes: a file, memory, or another reader (a tar inside
// a gzip), pulled in pieces so nothing needs the whole archive in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/platform.h"

namespace larkspur::extract {

class ByteSource {
public:
  virtual ~ByteSource() = default;
  // Fills up to into.size() bytes and returns how many; 0 only at the end of the data (or for an
  // empty `into`). Throws larkspur::Error when the bytes cannot be read or are damaged.
  virtual std::size_t read(std::span<std::uint8_t> into) = 0;
};

class MemoryByteSource : public ByteSource {
public:
  explicit MemoryByteSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::size_t read(std::span<std::uint8_t> into) override;

private:
  std::span<const std::uint8_t> bytes_;
  std::size_t offset_ = 0;
};

// An open file from its current position; the file stays the caller's.
class FileByteSource : public ByteSource {
public:
  explicit FileByteSource(platform::File& file) : file_(file) {}
  std::size_t read(std::span<std::uint8_t> into) override;

private:
  platform::File& file_;
};

} // namespace larkspur::extract
