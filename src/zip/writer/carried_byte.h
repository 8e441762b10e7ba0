// The one byte of compressor state that passes from one entry to the next: the window's last
// byte, which an entry of a narrow range of sizes may compare against near its end (see
// TDeflateBuffers::clearWindow). Entries compressed apart stand in the archive's sequence only
// when they saw the byte the sequence would have shown them.
#pragma once

#include <cstdint>

#include "deflate/deflate.h"
#include "deflate/deflate_constants.h"

namespace larkspur::zip {

// Entries of these sizes slide their window once near their end without having filled its last
// byte, so their output may depend on the byte the entries before them left there.
inline constexpr std::uint64_t kCarryDependentFirst = 65279;
inline constexpr std::uint64_t kCarryDependentLast = 65535;
// The byte in question: the window's last, which clearing between entries keeps.
inline constexpr unsigned kCarriedPosition = deflate::kWindowSize - 1;
static_assert(kCarryDependentLast == kCarriedPosition,
              "an entry of the window's size or more fills the byte itself before any slide");

// What one compressed entry did with the carried byte: the value it started with, whether its
// output may depend on it, and whether it wrote a new value there (reads into the window).
struct CarryTrace {
  std::uint8_t in = 0;
  bool dependsOnIn = false;
  bool writes = false;
  std::uint8_t out = 0;

  // Before the entry: the byte the window holds now.
  void start(const deflate::TDeflateBuffers& buffers);
  // A read of `count` bytes into the window at `destination`.
  void noteRead(const deflate::TDeflateBuffers& buffers, const std::uint8_t* destination,
                std::uint32_t count);
  // After the entry, once `bytesRead` bytes of input went through it.
  void finish(std::uint64_t bytesRead);
};

// The carried byte along the archive's sequence, kept by the writer thread.
class CarriedByte {
public:
  std::uint8_t value() const { return value_; }
  // Compresses the next entry of the sequence on the caller's own buffers, handing them the
  // sequence's byte first and taking the byte the entry leaves.
  deflate::TDeflateResult deflateNext(deflate::TDeflateBuffers& buffers, int level,
                                      deflate::TDeflateIo& io);
  // Whether an entry compressed elsewhere gives here what the sequence would have given.
  bool fits(const CarryTrace& trace) const { return !trace.dependsOnIn || trace.in == value_; }
  // That entry took its place in the sequence.
  void follow(const CarryTrace& trace);

private:
  std::uint8_t value_ = 0; // buffers start zero-filled
};

} // namespace larkspur::zip
