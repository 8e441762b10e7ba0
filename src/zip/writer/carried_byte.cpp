// Following the carried byte through entries compressed in sequence and apart.
#include "zip/writer/carried_byte.h"

namespace larkspur::zip {

void CarryTrace::start(const deflate::TDeflateBuffers& buffers) {
  in = buffers.window()[kCarriedPosition];
  writes = false;
  out = in;
}

void CarryTrace::noteRead(const deflate::TDeflateBuffers& buffers, const std::uint8_t* destination,
                          std::uint32_t count) {
  const std::uint8_t* carried = buffers.window() + kCarriedPosition;
  // Only reads write into the window's upper part; a slide copies from it, never onto it.
  if (destination <= carried && carried < destination + count) {
    writes = true;
    out = *carried;
  }
}

void CarryTrace::finish(std::uint64_t bytesRead) {
  dependsOnIn = bytesRead >= kCarryDependentFirst && bytesRead <= kCarryDependentLast;
}

deflate::TDeflateResult CarriedByte::deflateNext(deflate::TDeflateBuffers& buffers, int level,
                                                 deflate::TDeflateIo& io) {
  buffers.window()[kCarriedPosition] = value_;
  // Whatever happens, the buffers' byte is the sequence's from here on.
  struct TakeBack {
    CarriedByte& self;
    const deflate::TDeflateBuffers& buffers;
    ~TakeBack() { self.value_ = buffers.window()[kCarriedPosition]; }
  } takeBack{*this, buffers};
  return deflate::deflate_entry(buffers, level, io);
}

void CarriedByte::follow(const CarryTrace& trace) {
  if (trace.writes)
    value_ = trace.out;
}

} // namespace larkspur::zip
