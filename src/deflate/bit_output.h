// Packs bit fields into bytes in Deflate order (least significant bit first), collects them in
// a 1024-byte buffer and hands full buffers, stored data and the final bits to the caller's
// write operation.
#pragma once

#include <cstdint>

#include "deflate/deflate.h"

namespace larkspur::deflate {

// Bytes collected before they are handed to the write operation.
inline constexpr unsigned kOutBufSize = 1024;

class TBitOutput {
public:
  explicit TBitOutput(TDeflateIo& io) : io_(io) {}

  // Empty bit buffer and output buffer.
  void start_bits();

  // Appends the low `length` (1 to 15) bits of `value`. The bits are kept in a 64-bit buffer
  // and moved out 32 at a time: the byte sequence is the bit sequence either way, so this
  // gives the same bytes as moving out each 16-bit word as soon as it is full.
  void send_bits(unsigned value, unsigned length) {
    bit_buf_ |= std::uint64_t(value) << bit_count_;
    bit_count_ += length;
    if (bit_count_ >= 32) {
      put_word(std::uint16_t(bit_buf_));
      put_word(std::uint16_t(bit_buf_ >> 16));
      bit_buf_ >>= 32;
      bit_count_ -= 32;
    }
  }

  // Pads with zero bits to a byte boundary and hands everything buffered to the write.
  void align_bits();

  // Raw block data: aligned, with or without the LEN/NLEN header, then the data itself in one
  // write straight from the caller's memory (also when it is empty).
  void copy_stored(const std::uint8_t* data, unsigned length, bool header);

private:
  // Appends two bytes, low first. The buffer holds an even number of bytes between calls, so
  // a word never straddles two writes and full buffers go out in pieces of exactly 1024 bytes.
  void put_word(std::uint16_t w) {
    if (out_used_ < kOutBufSize - 1) {
      out_buf_[out_used_++] = std::uint8_t(w);
      out_buf_[out_used_++] = std::uint8_t(w >> 8);
    } else {
      flush_output(w, 2);
    }
  }
  void put_byte(std::uint8_t b);
  // Hands the buffer to the write operation, then appends `n` (0, 1 or 2) bytes of `w`.
  void flush_output(std::uint16_t w, int n);

  TDeflateIo& io_;
  std::uint64_t bit_buf_ = 0;
  unsigned bit_count_ = 0;
  unsigned out_used_ = 0;
  std::uint8_t out_buf_[kOutBufSize];
};

} // namespace larkspur::deflate
