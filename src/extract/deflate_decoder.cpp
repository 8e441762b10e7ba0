// The inflater's errors as entry failures.
#include "extract/deflate_decoder.h"

#include "extract/entry_failure.h"

namespace larkspur::extract {

DeflateDecoder::Step DeflateDecoder::decode(std::span<const std::uint8_t> in,
                                            std::span<std::uint8_t> out, bool inputEnds) {
  try {
    const inflate::InflateStep step = inflater_.inflate(in, out, inputEnds);
    return {step.consumed, step.produced, step.finished};
  } catch (const inflate::EInflateError& e) {
    throw EEntryFailure(SkipReason::BadData, std::string("corrupt compressed data: ") + e.what());
  }
}

} // namespace larkspur::extract
