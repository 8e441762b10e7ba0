// Window set-up, refilling and sliding, and the longest-match search along a hash chain.
#include "deflate/match_finder.h"

#include <algorithm>
#include <cstring>

namespace larkspur::deflate {

namespace {

// A read result meaning "end": 0, or anything the request could not hold (the 16-bit -1 of
// a failed read among them).
constexpr std::uint32_t kNothingRead = 0;
// Largest request; one less than the 16-bit -1 that a failed read returns.
constexpr unsigned kMaxRead = 0xFFFE;

} // namespace

TMatcher::TMatcher(TDeflateBuffers& buffers, int packLevel, TDeflateIo& io, TBlockCoder& coder,
                   TDeflateResult& header)
    : buffers_(buffers), window_(buffers.window()), chain_head_(buffers.chain_head()),
      chain_prev_(buffers.chain_prev()), packLevel_(packLevel), io_(io), coder_(coder),
      header_(header) {}

std::uint32_t TMatcher::readInput(std::uint8_t* destination, std::uint32_t count) {
  const std::uint32_t n = io_.read(destination, count);
  return n > count ? kNothingRead : n;
}

void TMatcher::start_matcher() {
  // chain_prev keeps stale links: chains only lead to positions inserted during this entry,
  // and the distance limit cuts every link that an older position overwrote.
  std::fill(chain_head_, chain_head_ + kHashSize, std::uint16_t(kNoPosition));
  const TLevelConfig& config = level_table[packLevel_];
  good_len_ = config.good_len;
  lazy_limit_ = config.lazy_limit;
  nice_len_ = config.nice_len;
  chain_limit_ = config.chain_limit;
  if (packLevel_ <= kLastFastLevel)
    header_.flagBits |= kFlagFastLevels;
  if (packLevel_ >= kFirstMaximumLevel)
    header_.flagBits |= kFlagMaximumLevels;
  cur_pos_ = 0;
  block_start_ = 0;
  const bool prefixLevel = packLevel_ >= kFirstPrefixLevel;
  prefix_ = prefixLevel && buffers_.matchSearch() != TMatchSearch::PlainWalk
                ? &buffers_.prefix_chains()
                : nullptr;
  startPrefixChains();

  lookahead_ = readInput(window_, kFirstRead);
  if (lookahead_ == kNothingRead) {
    end_of_input_ = true;
    return;
  }
  end_of_input_ = false;
  if (lookahead_ < kMinLookahead)
    refill_window();
  ins_hash_ = roll_hash(roll_hash(0, window_[0]), window_[1]);
}

void TMatcher::slide() {
  std::memcpy(window_, window_ + kHalfWindow, kHalfWindow);
  match_pos_ -= kHalfWindow;
  cur_pos_ -= kHalfWindow;
  block_start_ -= std::int32_t(kHalfWindow);
  const auto rebase = [](std::uint16_t m) {
    return std::uint16_t(m >= kHalfWindow ? m - kHalfWindow : kNoPosition);
  };
  std::transform(chain_head_, chain_head_ + kHashSize, chain_head_, rebase);
  // The same rule for all links of an entry at once: a link with its top bit set loses the
  // bit (m - 32768), any other becomes 0.
  constexpr TChainLinks kTopBits = TChainLinks(0x8000800080008000ull);
  // The lane mask is the lanes' low bits times 0xFFFF, written as a shift and a subtraction
  // (the same value modulo 2^64) so that the loop vectorises.
  std::transform(chain_prev_, chain_prev_ + kHalfWindow, chain_prev_, [](TChainLinks m) {
    const TChainLinks low = (m & kTopBits) >> 15;
    const TChainLinks slidIn = TChainLinks((low << 16) - low);
    return TChainLinks(m & slidIn & ~kTopBits);
  });
  if (prefix_ != nullptr && prefix_on_) {
    // Positions not yet added that slide out lie beyond the distance limit of every later
    // search, so they are never needed.
    prefix_->slide();
    prefix_next_ = prefix_next_ > kHalfWindow ? prefix_next_ - kHalfWindow : 0;
  }
}

void TMatcher::refill_window() {
  choosePrefixChains();
  do {
    // Free space behind the lookahead, as a 16-bit quantity.
    unsigned more = (kWindowSize - lookahead_ - cur_pos_) & 0xFFFF;
    if (more > kMaxRead) {
      more = kMaxRead;
    } else if (cur_pos_ >= kSlideThreshold) {
      // The upper half keeps its old bytes: nothing is ever written behind the input.
      slide();
      more += kHalfWindow;
    }
    if (end_of_input_)
      return;
    const std::uint32_t n = readInput(window_ + cur_pos_ + lookahead_, more);
    if (n == kNothingRead)
      end_of_input_ = true;
    else
      lookahead_ += n;
  } while (lookahead_ < kMinLookahead && !end_of_input_);
}

unsigned TMatcher::walk_chain(unsigned first) {
  unsigned best = prev_len_;
  unsigned bestPos = match_pos_;
  unsigned count = chain_limit_;
  if (prev_len_ >= good_len_)
    count >>= 2;
  const unsigned limit = cur_pos_ > kMaxDist ? cur_pos_ - kMaxDist : kNoPosition;
  const std::uint8_t* const window = window_;
  const TChainLinks* const chainPrev = chain_prev_;
  const std::uint8_t* const scan = window + cur_pos_;
  const unsigned niceLen = unsigned(nice_len_);
  // Quick reject (see endCheck); matchLength then finds the length.
  const std::uint8_t* scanEnd = nullptr;
  std::uint64_t endMask = 0;
  std::uint64_t endBytes = 0;
  const auto setEnd = [&] {
    const TEndCheck check = endCheck(best);
    scanEnd = scan + check.offset;
    endMask = check.mask;
    endBytes = load64(scanEnd) & endMask;
  };
  setEnd();
  // True when the candidate at c ends the search (a match of nice length).
  const auto examine = [&](unsigned c) {
    if ((load64(scanEnd - cur_pos_ + c) & endMask) != endBytes)
      return false;
    const unsigned len = matchLength(scan, window + c);
    if (len <= best)
      return false;
    bestPos = c;
    best = len;
    if (best >= niceLen)
      return true;
    setEnd();
    return false;
  };
  // The chain is walked several links per load (see insert_position). A link is only
  // followed while every nearer one lies inside the distance limit, and then it still holds
  // what it held when written (a slot is rewritten only 32768 positions later, beyond the
  // limit), so the candidates and their order are exactly those of a walk link by link.
  unsigned c = first;
  bool stop = examine(c);
  while (!stop) {
    const TChainLinks links = chainPrev[c & kHashMask];
    // The entry after these four links is needed next: start loading it now (only a hint).
    __builtin_prefetch(&chainPrev[(links >> 48) & kHashMask]);
#pragma GCC unroll 4
    for (unsigned k = 0; k < kLinksPerEntry; ++k) {
      c = std::uint16_t(links >> (16 * k));
      stop = c <= limit || --count == 0 || examine(c);
      if (stop)
        break;
    }
  }
  match_pos_ = bestPos;
  return best;
}

} // namespace larkspur::deflate
