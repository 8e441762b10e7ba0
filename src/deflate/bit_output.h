// Packs bit fields into bytes in Deflate order (least significant bit first), collects them in
// a 1024-byte buffer and hands full buffers, stored data and the final bits to the caller's
// write operation.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

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
  // that is moved out whole, eight bytes at once, when it fills: the byte sequence is the bit
  // sequence either way, so this gives the same bytes as moving out each 16-bit word as soon
  // as it is full.
  void send_bits(unsigned value, unsigned length) { append(bit_buf_, bit_count_, value, length); }

  // The same appending on a copy of the bit buffer held in the caller's locals, for loops that
  // send many codes: the copy stays in registers, where the buffer's own fields would be
  // reloaded after every byte stored. Between take_bits and give_bits only these calls
  // may send bits.
  void take_bits(std::uint64_t& buf, unsigned& count) const {
    buf = bit_buf_;
    count = bit_count_;
  }
  void give_bits(std::uint64_t buf, unsigned count) {
    bit_buf_ = buf;
    bit_count_ = count;
  }
  void append(std::uint64_t& buf, unsigned& count, unsigned value, unsigned length) {
    buf |= std::uint64_t(value) << count; // count < 64 between calls
    const unsigned room = 64 - count;
    if (length < room) {
      count += length;
      return;
    }
    put_eight(buf);
    // room >= 1 here and at most length: the bits of value that did not fit.
    buf = std::uint64_t(value) >> room;
    count = length - room;
  }

  // Pads with zero bits to a byte boundary and hands everything buffered to the write.
  void align_bits();

  // Raw block data: aligned, with or without the LEN/NLEN header, then the data itself in one
  // write straight from the caller's memory (also when it is empty).
  void copy_stored(const std::uint8_t* data, unsigned length, bool header);

private:
  // Appends eight bytes, lowest first. Between two alignments the buffer fills from empty in
  // steps of eight, so full buffers still go out in pieces of exactly 1024 bytes.
  void put_eight(std::uint64_t bits) {
    if (out_used_ > kOutBufSize - 8)
      flush_output(0, 0);
    if constexpr (std::endian::native == std::endian::big)
      bits = __builtin_bswap64(bits);
    std::memcpy(out_buf_ + out_used_, &bits, 8);
    out_used_ += 8;
  }
  static_assert(kOutBufSize % 8 == 0);
  // Appends two bytes, low first (stored headers, and the last bits at an alignment).
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
