// The inflater behind DeflateDecoder; a build without one reports deflated entries unsupported.
#include "extract/deflate_decoder.h"

#include "extract/entry_failure.h"

#if __has_include("inflate/inflater.h")
#include "inflate/inflater.h"
#define LARKSPUR_HAS_INFLATER 1
#endif

namespace larkspur::extract {

#ifdef LARKSPUR_HAS_INFLATER
namespace {

class InflaterDecoder : public DeflateDecoder {
public:
  void reset() override { inflater_.reset(); }
  Step decode(std::span<const std::uint8_t> in, std::span<std::uint8_t> out,
              bool inputEnds) override {
    try {
      const inflate::InflateStep step = inflater_.inflate(in, out, inputEnds);
      return {step.consumed, step.produced, step.finished};
    } catch (const inflate::EInflateError& e) {
      throw EEntryFailure(SkipReason::BadData, std::string("corrupt compressed data: ") + e.what());
    }
  }

private:
  inflate::Inflater inflater_;
};

} // namespace

std::unique_ptr<DeflateDecoder> DeflateDecoder::create() {
  return std::make_unique<InflaterDecoder>();
}
#else
std::unique_ptr<DeflateDecoder> DeflateDecoder::create() {
  return nullptr;
}
#endif

} // namespace larkspur::extract
