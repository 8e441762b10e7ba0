// The compressor's entry point: one file's bytes in, a raw Deflate stream out, through the
// caller's read and write operations and the caller's working buffers.
#pragma once

#include <cstdint>

#include "deflate/deflate_buffers.h"

namespace larkspur::deflate {

// ZIP compression methods the compressor can leave in the header.
inline constexpr std::uint16_t kMethodStored = 0;
inline constexpr std::uint16_t kMethodDeflated = 8;
// Internal attributes: the compressor's text classification, and "not yet decided".
inline constexpr std::uint16_t kBinaryData = 0;
inline constexpr std::uint16_t kTextData = 1;
inline constexpr std::uint16_t kUnknownData = 2;

// The entry writer's side of the compressor. Both operations may throw; an exception leaves
// deflate_entry at once and the buffers stay usable for the next entry.
class TDeflateIo {
public:
  // Delivers up to `count` (at most 65534) bytes of the entry's data into `destination` and
  // returns how many; 0 means the end. This is where the caller keeps the CRC-32 and reports
  // progress.
  virtual std::uint32_t read(std::uint8_t* destination, std::uint32_t count) = 0;
  // Takes all `count` bytes or throws. The bytes must stay unchanged: for stored data they are
  // the window itself, which later matches of the entry still refer to.
  virtual void write(const std::uint8_t* buffer, std::uint32_t count) = 0;

protected:
  ~TDeflateIo() = default;
};

// What the compressor decided about the entry, for its header.
struct TDeflateResult {
  // Bytes handed to write; 64 bits so entries beyond 512 MiB of output keep their true size.
  std::uint64_t compressedSize = 0;
  // General purpose flag bits to OR into the entry's flag (4 for levels 1-2, 2 for 8-9).
  std::uint16_t flagBits = 0;
  // 8 deflated, or 0 when the entry did not shrink and its data is the input itself.
  std::uint16_t method = kMethodDeflated;
  // 1 text, 0 binary, from the literals of the first block.
  std::uint16_t internalAttributes = kUnknownData;
};

// Compresses one entry at `packLevel` (1 to 9). Reads the input from the start through
// io.read, writes the stream through io.write.
TDeflateResult deflate_entry(TDeflateBuffers& buffers, int packLevel, TDeflateIo& io);

} // namespace larkspur::deflate
