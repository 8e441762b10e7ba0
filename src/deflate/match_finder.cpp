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

TMatcher::TMatcher(const TDeflateBuffers& buffers, int packLevel, TDeflateIo& io,
                   TBlockCoder& coder, TDeflateResult& header)
    : window_(buffers.window()), chain_head_(buffers.chain_head()),
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
  std::transform(chain_prev_, chain_prev_ + kHalfWindow, chain_prev_, rebase);
}

void TMatcher::refill_window() {
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

unsigned TMatcher::search_chain(unsigned first) {
  unsigned best = prev_len_;
  unsigned count = chain_limit_;
  if (prev_len_ >= good_len_)
    count >>= 2;
  const unsigned limit = cur_pos_ > kMaxDist ? cur_pos_ - kMaxDist : kNoPosition;
  const std::uint8_t* scan = window_ + cur_pos_;
  unsigned c = first;
  do {
    const std::uint8_t* m = window_ + c;
    // The byte at offset 2 is not compared: equal hashes and equal first two bytes imply it.
    if (m[best] != scan[best] || m[best - 1] != scan[best - 1] || m[0] != scan[0] ||
        m[1] != scan[1])
      continue;
    unsigned len = kMinMatch;
    while (len < kMaxMatch && m[len] == scan[len])
      ++len;
    if (len > best) {
      match_pos_ = c;
      best = len;
      if (int(best) >= nice_len_)
        break;
    }
  } while ((c = chain_prev_[c & kHashMask]) > limit && --count != 0);
  return best;
}

} // namespace larkspur::deflate
