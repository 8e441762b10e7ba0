// Arbitrary bytes as a file to compress, at a level and with read sizes the input picks, twice
// through the same buffers: each stream must decode to the input (or be the input itself when
// stored), report the size it wrote, and the second must equal the first. At levels 8 and 9 the
// searches through the longer-prefix chains (always, or switched at every choice) must give
// exactly the plain walk's stream.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "deflate/deflate.h"
#include "deflate/stream_decoder.h"

namespace {

using namespace larkspur::deflate;
using Bytes = std::vector<std::uint8_t>;

void check(bool condition) {
  if (!condition)
    __builtin_trap();
}

class TFuzzIo : public TDeflateIo {
public:
  TFuzzIo(const Bytes& input, std::uint32_t maxRead) : input_(input), maxRead_(maxRead) {}
  std::uint32_t read(std::uint8_t* destination, std::uint32_t count) override {
    check(count <= 65534);
    const std::uint32_t n =
        std::uint32_t(std::min<std::size_t>({count, maxRead_, input_.size() - offset_}));
    if (n != 0)
      std::memcpy(destination, input_.data() + offset_, n);
    offset_ += n;
    return n;
  }
  void write(const std::uint8_t* buffer, std::uint32_t count) override {
    output.insert(output.end(), buffer, buffer + count);
  }
  Bytes output;

private:
  const Bytes& input_;
  std::size_t maxRead_;
  std::size_t offset_ = 0;
};

Bytes compressOnce(TDeflateBuffers& buffers, const Bytes& input, int level, std::uint32_t maxRead) {
  TFuzzIo io(input, maxRead);
  const TDeflateResult r = deflate_entry(buffers, level, io);
  check(r.compressedSize == io.output.size());
  if (r.method == kMethodStored)
    check(io.output == input);
  else
    check(larkspur::deflate::test::decodeStream(io.output).data == input);
  return io.output;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2)
    return 0;
  const int level = 1 + data[0] % 9;
  // 0: whole reads; otherwise short reads of up to n * 97 bytes.
  const std::uint32_t maxRead = data[1] == 0 ? 0xFFFFFFFFu : std::uint32_t(data[1]) * 97;
  const Bytes input(data + 2, data + size);
  TDeflateBuffers buffers;
  const Bytes first = compressOnce(buffers, input, level, maxRead);
  check(compressOnce(buffers, input, level, maxRead) == first);
  if (level >= 8) {
    for (TMatchSearch mode :
         {TMatchSearch::PlainWalk, TMatchSearch::PrefixChains, TMatchSearch::Alternating}) {
      TDeflateBuffers other;
      other.setMatchSearch(mode);
      check(compressOnce(other, input, level, maxRead) == first);
    }
  }
  return 0;
}
