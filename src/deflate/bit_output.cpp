// Buffer hand-over, byte alignment and stored data of the bit output.
#include "deflate/bit_output.h"

namespace larkspur::deflate {

void TBitOutput::start_bits() {
  bit_buf_ = 0;
  bit_count_ = 0;
  out_used_ = 0;
}

void TBitOutput::put_byte(std::uint8_t b) {
  if (out_used_ < kOutBufSize)
    out_buf_[out_used_++] = b;
  else
    flush_output(b, 1);
}

void TBitOutput::flush_output(std::uint16_t w, int n) {
  if (out_used_ != 0)
    io_.write(out_buf_, out_used_);
  out_used_ = 0;
  if (n == 2)
    put_word(w);
  else if (n == 1)
    out_buf_[out_used_++] = std::uint8_t(w);
}

void TBitOutput::align_bits() {
  while (bit_count_ > 8) {
    put_word(std::uint16_t(bit_buf_));
    bit_buf_ >>= 16;
    bit_count_ = bit_count_ > 16 ? bit_count_ - 16 : 0;
  }
  if (bit_count_ > 0)
    put_byte(std::uint8_t(bit_buf_));
  flush_output(0, 0);
  bit_buf_ = 0;
  bit_count_ = 0;
}

void TBitOutput::copy_stored(const std::uint8_t* data, unsigned length, bool header) {
  align_bits();
  if (header) {
    put_word(std::uint16_t(length));
    put_word(std::uint16_t(~length));
  }
  flush_output(0, 0);
  io_.write(data, length);
}

} // namespace larkspur::deflate
