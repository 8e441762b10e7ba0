// The compressor's entry point: sets up the per-call state on the stack and runs the parse.
#include <stdexcept>

#include "deflate/bit_output.h"
#include "deflate/block_coder.h"
#include "deflate/match_finder.h"

namespace larkspur::deflate {

TDeflateResult deflate_entry(TDeflateBuffers& buffers, int packLevel, TDeflateIo& io) {
  if (packLevel < 1 || packLevel > kMaxLevel)
    throw std::invalid_argument("deflate_entry: level outside 1 to 9");
  TDeflateResult header;
  header.method = kMethodDeflated;
  header.internalAttributes = kUnknownData;
  TBitOutput out(io);
  TBlockCoder coder(buffers, packLevel, out, header);
  TMatcher matcher(buffers, packLevel, io, coder, header);
  try {
    out.start_bits();
    coder.ct_init();
    matcher.start_matcher();
    header.compressedSize =
        packLevel <= kLastGreedyLevel ? matcher.deflate_greedy() : matcher.deflate();
  } catch (...) {
    // An abandoned entry leaves the window as a finished one would.
    buffers.clearWindow();
    throw;
  }
  return header;
}

} // namespace larkspur::deflate
