// Deflated entry data through the product's own inflater, with its errors turned into the
// reason an entry is left out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "inflate/inflater.h"

namespace larkspur::extract {

class DeflateDecoder {
public:
  struct Step {
    std::size_t consumed;
    std::size_t produced;
    bool finished;
  };
  void reset() { inflater_.reset(); }
  // Raises EEntryFailure (BadData) on corrupt data.
  Step decode(std::span<const std::uint8_t> in, std::span<std::uint8_t> out, bool inputEnds);

private:
  inflate::Inflater inflater_;
};

} // namespace larkspur::extract
