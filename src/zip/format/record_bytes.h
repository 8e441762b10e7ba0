// Little-endian field access for the fixed parts of the ZIP records: a reader that takes fields
// in order from a byte block and a writer that appends them, so layouts read like the tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace larkspur::zip::record {

// Reads consecutive little-endian fields from a block the caller has checked is long enough.
class FieldReader {
public:
  explicit FieldReader(const unsigned char* data) : data_(data) {}

  std::uint16_t u16() {
    const std::uint16_t v = static_cast<std::uint16_t>(data_[0] | (data_[1] << 8));
    data_ += 2;
    return v;
  }
  std::uint32_t u32() {
    const std::uint32_t v =
        static_cast<std::uint32_t>(data_[0]) | (static_cast<std::uint32_t>(data_[1]) << 8) |
        (static_cast<std::uint32_t>(data_[2]) << 16) | (static_cast<std::uint32_t>(data_[3]) << 24);
    data_ += 4;
    return v;
  }
  std::int32_t i32() { return static_cast<std::int32_t>(u32()); }

private:
  const unsigned char* data_;
};

// Appends little-endian fields to a byte string.
class FieldWriter {
public:
  void u16(std::uint16_t v) {
    bytes_.push_back(static_cast<char>(v & 0xFF));
    bytes_.push_back(static_cast<char>(v >> 8));
  }
  void u32(std::uint32_t v) {
    u16(static_cast<std::uint16_t>(v & 0xFFFF));
    u16(static_cast<std::uint16_t>(v >> 16));
  }
  void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
  void u64(std::uint64_t v) {
    u32(static_cast<std::uint32_t>(v & 0xFFFFFFFF));
    u32(static_cast<std::uint32_t>(v >> 32));
  }
  void bytes(std::string_view text) { bytes_.append(text); }

  const std::string& data() const { return bytes_; }

private:
  std::string bytes_;
};

} // namespace larkspur::zip::record
