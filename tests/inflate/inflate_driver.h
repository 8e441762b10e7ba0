// Runs the inflater over a whole stream with chosen input and output chunk sizes, the way a
// reader of an archive feeds it, and checks the step results it returns on the way.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "inflate/inflater.h"

namespace larkspur::inflate::test {

using Bytes = std::vector<std::uint8_t>;

struct Inflated {
  Bytes output;
  std::size_t consumed = 0; // input bytes the stream used (the rest is what follows it)
};

// Feeds `stream` in pieces of at most `inChunk` bytes and collects output in pieces of at most
// `outChunk`. Throws what the inflater throws.
inline Inflated inflateAll(Inflater& inflater, std::span<const std::uint8_t> stream,
                           std::size_t inChunk = SIZE_MAX, std::size_t outChunk = 1 << 16) {
  Inflated result;
  Bytes out(outChunk);
  std::size_t offset = 0;
  for (int idle = 0;;) {
    const std::size_t n = std::min(inChunk, stream.size() - offset);
    const bool inputEnds = offset + n == stream.size();
    const InflateStep step = inflater.inflate(stream.subspan(offset, n), out, inputEnds);
    EXPECT_LE(step.consumed, n);
    EXPECT_LE(step.produced, out.size());
    offset += step.consumed;
    result.output.insert(result.output.end(), out.begin(), out.begin() + step.produced);
    if (step.finished)
      break;
    // Progress with every call unless the caller's input was empty.
    idle = step.consumed == 0 && step.produced == 0 ? idle + 1 : 0;
    if (idle > 2) {
      ADD_FAILURE() << "no progress at input offset " << offset;
      break;
    }
  }
  result.consumed = offset;
  return result;
}

inline Inflated inflateAll(std::span<const std::uint8_t> stream, std::size_t inChunk = SIZE_MAX,
                           std::size_t outChunk = 1 << 16) {
  Inflater inflater;
  return inflateAll(inflater, stream, inChunk, outChunk);
}

} // namespace larkspur::inflate::test
