// Arbitrary bytes as a raw Deflate stream, fed in pieces the input picks: the inflater must
// never crash or hang, and wherever zlib decodes the stream, ours must produce the same bytes
// and stop at the same input position.
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "inflate/inflater.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
// Output beyond this is not compared (a few bytes can expand to a lot).
constexpr std::size_t kOutputCap = 1 << 20;

void check(bool condition) {
  if (!condition)
    __builtin_trap();
}

struct Result {
  bool ok = false;
  Bytes output;
  std::size_t consumed = 0;
};

Result zlibInflate(const std::uint8_t* data, std::size_t size) {
  Result r;
  z_stream z{};
  inflateInit2(&z, -15);
  static Bytes out(kOutputCap);
  z.next_in = const_cast<Bytef*>(data);
  z.avail_in = uInt(size);
  z.next_out = out.data();
  z.avail_out = uInt(out.size());
  r.ok = ::inflate(&z, Z_FINISH) == Z_STREAM_END;
  r.output.assign(out.begin(), out.begin() + z.total_out);
  r.consumed = z.total_in;
  inflateEnd(&z);
  return r;
}

Result ourInflate(const std::uint8_t* data, std::size_t size, std::size_t inPiece,
                  std::size_t outPiece) {
  Result r;
  // One inflater for every input, as an extractor reuses it: reset must forget the last stream.
  static larkspur::inflate::Inflater inflater;
  inflater.reset();
  Bytes out(outPiece);
  try {
    while (r.output.size() < kOutputCap) {
      const std::size_t n = std::min(inPiece, size - r.consumed);
      const bool ends = r.consumed + n == size;
      const auto step = inflater.inflate({data + r.consumed, n}, out, ends);
      check(step.consumed <= n && step.produced <= out.size());
      r.consumed += step.consumed;
      r.output.insert(r.output.end(), out.begin(), out.begin() + step.produced);
      if (step.finished) {
        r.ok = true;
        break;
      }
      check(step.consumed != 0 || step.produced != 0 || n == 0); // progress, never a loop
      if (step.consumed == 0 && step.produced == 0)
        check(!ends); // with all input given, it finishes or throws
    }
  } catch (const larkspur::inflate::EInflateError&) {
  }
  return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2)
    return 0;
  const std::size_t inPiece = data[0] < 128 ? std::size_t(1) + data[0] % 16 : size;
  const std::size_t outPiece = data[1] < 128 ? std::size_t(1) + data[1] % 300 : 65536;
  data += 2;
  size -= 2;
  const Result zlib = zlibInflate(data, size);
  const Result ours = ourInflate(data, size, inPiece, outPiece);
  if (zlib.ok) {
    check(ours.ok);
    check(ours.output == zlib.output);
    check(ours.consumed == zlib.consumed);
  }
  return 0;
}
