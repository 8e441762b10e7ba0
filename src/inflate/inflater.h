// Our own raw Deflate decoder (RFC 1951): streams through buffers the caller owns, keeps its 32 KB
// of history and its tables from one allocation, and refuses damaged streams with EInflateError.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "inflate/inflate_error.h"

namespace larkspur::inflate {

struct InflateStep {
  std::size_t consumed;
  std::size_t produced;
  bool finished;
};

class InflateMachine;

class Inflater {
public:
  Inflater(); // allocates its window and tables once
  ~Inflater();
  Inflater(Inflater&&) noexcept;
  Inflater& operator=(Inflater&&) noexcept;

  // Ready for a new stream; allocates nothing.
  void reset();

  // Decodes raw Deflate from `in` into `out`, resuming where the last call stopped. `inputEnds`:
  // no input follows `in` (a stream that then still needs input is truncated: EInflateError).
  // Returns what was consumed and produced; `finished` once the final block's end was decoded and
  // all its output delivered (bytes after it are left unconsumed). Hostile data: EInflateError,
  // never an out-of-bounds access or a loop. After an error only reset() makes it usable again.
  InflateStep inflate(std::span<const std::uint8_t> in, std::span<std::uint8_t> out,
                      bool inputEnds);

private:
  std::unique_ptr<InflateMachine> machine_;
};

} // namespace larkspur::inflate
