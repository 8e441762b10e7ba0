// Test helpers for the gzip and tar readers: a source that hands out its bytes in small pieces
// (so every buffer boundary is crossed), and draining a reader into one string.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "extract/byte_source.h"

namespace larkspur::extract::test {

class TrickleSource : public ByteSource {
public:
  TrickleSource(std::string bytes, std::size_t piece) : bytes_(std::move(bytes)), piece_(piece) {}
  std::size_t read(std::span<std::uint8_t> into) override {
    const std::size_t n = std::min({into.size(), piece_, bytes_.size() - offset_});
    std::memcpy(into.data(), bytes_.data() + offset_, n);
    offset_ += n;
    return n;
  }

private:
  std::string bytes_;
  std::size_t piece_;
  std::size_t offset_ = 0;
};

// Everything the reader delivers, read in pieces of `piece` bytes.
template <typename Reader> std::string drain(Reader& reader, std::size_t piece = 4096) {
  std::string all;
  std::string buffer(piece, '\0');
  for (;;) {
    const std::size_t n =
        reader.read(std::span(reinterpret_cast<std::uint8_t*>(buffer.data()), buffer.size()));
    if (n == 0)
      return all;
    all.append(buffer, 0, n);
  }
}

} // namespace larkspur::extract::test
