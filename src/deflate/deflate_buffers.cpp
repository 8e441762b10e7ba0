// Allocation of the compressor's working buffers, zero-filled.
#include "deflate/deflate_buffers.h"

#include <cstring>

#include "deflate/deflate_constants.h"
#include "deflate/prefix_chains.h"

namespace larkspur::deflate {

namespace {

// Value-initialised arrays: every element starts at zero.
template <typename T> std::unique_ptr<T[]> zeroed(unsigned count) {
  return std::unique_ptr<T[]>(new T[count]());
}

} // namespace

TDeflateBuffers::TDeflateBuffers()
    : window_(zeroed<std::uint8_t>(kWindowSize + kWindowPadding)),
      chainHead_(zeroed<std::uint16_t>(kHashSize)), chainPrev_(zeroed<TChainLinks>(kHalfWindow)),
      litBuf_(zeroed<std::uint8_t>(kLitBufSize)), distBuf_(zeroed<std::uint16_t>(kDistBufSize)),
      flagBytes_(zeroed<std::uint8_t>(kFlagBufSize)) {}

TDeflateBuffers::~TDeflateBuffers() = default;
TDeflateBuffers::TDeflateBuffers(TDeflateBuffers&&) noexcept = default;
TDeflateBuffers& TDeflateBuffers::operator=(TDeflateBuffers&&) noexcept = default;

TPrefixChains& TDeflateBuffers::prefix_chains() {
  if (!prefixChains_)
    prefixChains_ = std::make_unique<TPrefixChains>();
  return *prefixChains_;
}

void TDeflateBuffers::clearWindow() {
  std::memset(window_.get(), 0, kWindowSize - 1);
}

} // namespace larkspur::deflate
