// Deflated entry data through the product's own inflater, behind a small interface so the engine
// does not depend on how the inflater is built.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace larkspur::extract {

class DeflateDecoder {
public:
  struct Step {
    std::size_t consumed;
    std::size_t produced;
    bool finished;
  };
  // Nothing when this build has no inflater.
  static std::unique_ptr<DeflateDecoder> create();
  virtual ~DeflateDecoder() = default;
  virtual void reset() = 0;
  // Raises EEntryFailure (BadData) on corrupt data.
  virtual Step decode(std::span<const std::uint8_t> in, std::span<std::uint8_t> out,
                      bool inputEnds) = 0;
};

} // namespace larkspur::extract
