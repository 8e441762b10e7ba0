// A growable stream in memory: the counterpart of a file for tests and for building small
// records before they are written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "zip/format/stream.h"

namespace larkspur::zip {

class TMemoryStream : public TStream {
public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::string bytes);

  // Reads and writes start at the position; a write past the end fills the gap with zeros.
  // Neither moves from a negative position.
  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  // Origins 0, 1 and 2 (from the end, offset added as given); any position, even beyond the end.
  std::int64_t Seek(std::int64_t offset, int origin) override;

  void SetSize(std::int64_t size); // keeps the position
  void Clear();                    // empty, position 0
  const std::vector<std::uint8_t>& Data() const { return data_; }
  std::string Bytes() const { return std::string(data_.begin(), data_.end()); }

private:
  std::vector<std::uint8_t> data_;
  std::int64_t position_ = 0;
};

} // namespace larkspur::zip
