// Allocation, per-entry reset and sliding of the longer-prefix chains.
#include "deflate/prefix_chains.h"

#include <algorithm>

namespace larkspur::deflate {

namespace {

constexpr unsigned kHeads = kPrefixChains * kPrefixHashSize;
constexpr unsigned kLinks = kPrefixChains * kHalfWindow;

} // namespace

TPrefixChains::TPrefixChains()
    : heads_(new std::uint16_t[kHeads]()), links_(new std::uint16_t[kLinks]()),
      stamps_(new std::uint32_t[kHalfWindow]()), counters_(new std::uint32_t[kHashSize]()) {}

void TPrefixChains::clear() {
  std::fill(heads_.get(), heads_.get() + kHeads, std::uint16_t(kNoPosition));
}

void TPrefixChains::slide() {
  const auto rebase = [](std::uint16_t m) {
    return std::uint16_t(m >= kHalfWindow ? m - kHalfWindow : kNoPosition);
  };
  std::transform(heads_.get(), heads_.get() + kHeads, heads_.get(), rebase);
  std::transform(links_.get(), links_.get() + kLinks, links_.get(), rebase);
}

} // namespace larkspur::deflate
