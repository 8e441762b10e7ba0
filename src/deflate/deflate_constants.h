// Sizes and limits shared by the match finder, the block coder and the bit output. They fix
// the shape of the compressed stream, so every one of them is part of the output contract.
#pragma once

#include <cstdint>

namespace larkspur::deflate {

// The dictionary a match may reach into; the window slides by this much.
inline constexpr unsigned kHalfWindow = 32768;
// Two halves: the dictionary plus room for the input that is read ahead.
inline constexpr unsigned kWindowSize = 2 * kHalfWindow;
// Shortest and longest match Deflate can code.
inline constexpr unsigned kMinMatch = 3;
inline constexpr unsigned kMaxMatch = 258;
// Lookahead kept before a byte is parsed, so a full match and the next hash fit in it.
inline constexpr unsigned kMinLookahead = kMaxMatch + kMinMatch + 1;
// Farthest match: a match must not reach into the half that the next slide throws away.
inline constexpr unsigned kMaxDist = kHalfWindow - kMinLookahead;
// Hash chains: 15-bit rolling hash over three bytes, five bits shifted in per byte.
inline constexpr unsigned kHashSize = 32768;
inline constexpr unsigned kHashMask = kHashSize - 1;
inline constexpr unsigned kHashShift = 5;
// A length-3 match farther back than this costs more than three literals (lazy parsing only).
inline constexpr unsigned kTooFar = 4096;
// Position at which the next refill slides the window.
inline constexpr unsigned kSlideThreshold = kHalfWindow + kMaxDist;
// Chain value meaning "no position"; so window position 0 is never a match candidate.
inline constexpr unsigned kNoPosition = 0;
// The first read fills the lower half only.
inline constexpr unsigned kFirstRead = kHalfWindow;
// Symbol buffers of one block: a byte per symbol, a distance per match, a flag bit per symbol.
inline constexpr unsigned kLitBufSize = 32768;
inline constexpr unsigned kDistBufSize = 32768;
inline constexpr unsigned kFlagBufSize = kLitBufSize / 8;
// A block ends when its symbol buffer holds this many symbols.
inline constexpr unsigned kMaxBlockSymbols = kLitBufSize - 1;
// Bytes behind the window that the match comparison may load but never uses (it compares
// eight bytes at a time); never written, so they stay zero.
inline constexpr unsigned kWindowPadding = 16;

static_assert(kMinLookahead == 262 && kMaxDist == 32506 && kSlideThreshold == 65274);
static_assert(kHashSize == kHalfWindow, "chain_head and chain_prev have the same size");
static_assert(kWindowSize == 65536, "positions and the window arithmetic are 16-bit");
static_assert(kDistBufSize >= kMaxBlockSymbols, "every symbol of a block may be a match");
static_assert(kFlagBufSize * 8 == kLitBufSize);

} // namespace larkspur::deflate
