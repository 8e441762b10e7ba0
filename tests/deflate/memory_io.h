// Test doubles for the compressor's read and write operations: input from memory, output
// collected in memory, with a log of every request and optional failures.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "deflate/crc32.h"
#include "deflate/deflate.h"

namespace larkspur::deflate::test {

using Bytes = std::vector<std::uint8_t>;

class TMemoryIo : public TDeflateIo {
public:
  explicit TMemoryIo(const Bytes& input) : input_(input) {}

  std::uint32_t read(std::uint8_t* destination, std::uint32_t count) override {
    readRequests.push_back(count);
    if (readsBeforeFailure == 0)
      throw std::runtime_error("read failed");
    --readsBeforeFailure;
    std::uint32_t n = std::uint32_t(std::min<std::size_t>(count, input_.size() - offset_));
    n = std::min(n, readResults.empty() ? firstReadSize : maxReadSize);
    if (n != 0)
      std::memcpy(destination, input_.data() + offset_, n);
    offset_ += n;
    crc = update_crc(crc, destination, n);
    readResults.push_back(n);
    return n;
  }

  void write(const std::uint8_t* buffer, std::uint32_t count) override {
    if (writesBeforeFailure == 0)
      throw std::runtime_error("write failed");
    --writesBeforeFailure;
    writeSizes.push_back(count);
    output.insert(output.end(), buffer, buffer + count);
  }

  Bytes output;
  std::uint32_t crc = kCrcPreset;
  std::vector<std::uint32_t> readRequests;
  std::vector<std::uint32_t> readResults;
  std::vector<std::uint32_t> writeSizes;
  // Failure injection and short reads.
  long readsBeforeFailure = -1;
  long writesBeforeFailure = -1;
  std::uint32_t maxReadSize = 0xFFFFFFFFu;
  std::uint32_t firstReadSize = 0xFFFFFFFFu;

private:
  const Bytes& input_;
  std::size_t offset_ = 0;
};

struct TCompressed {
  TDeflateResult result;
  Bytes output;
};

inline TCompressed compress(TDeflateBuffers& buffers, const Bytes& input, int level) {
  TMemoryIo io(input);
  const TDeflateResult result = deflate_entry(buffers, level, io);
  return {result, std::move(io.output)};
}

inline TCompressed compress(const Bytes& input, int level) {
  TDeflateBuffers buffers;
  return compress(buffers, input, level);
}

} // namespace larkspur::deflate::test
