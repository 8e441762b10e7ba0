// The two parsing loops: greedy for the fast levels, lazy evaluation (a match is taken only
// if the next position has no longer one) for the others.
#include <algorithm>

#include "deflate/match_finder.h"

namespace larkspur::deflate {

std::uint64_t TMatcher::deflate_greedy() {
  prev_len_ = kMinMatch - 1;
  chain_start_ = kNoPosition;
  match_len_ = 0;
  while (lookahead_ != 0) {
    if (lookahead_ >= kMinMatch)
      chain_start_ = insert_position(cur_pos_);
    if (chain_start_ != kNoPosition && cur_pos_ - chain_start_ <= kMaxDist)
      match_len_ = std::min(search_chain(chain_start_), lookahead_);

    bool flush;
    if (match_len_ >= kMinMatch) {
      flush = coder_.ct_tally(cur_pos_ - match_pos_, match_len_ - kMinMatch, blockBytes());
      lookahead_ -= match_len_;
      if (match_len_ <= lazy_limit_) {
        for (unsigned i = match_len_ - 1; i != 0; --i)
          insert_position(++cur_pos_);
        ++cur_pos_;
      } else {
        // Long matches skip the chains; restart the hash at the byte after the match.
        cur_pos_ += match_len_;
        ins_hash_ = roll_hash(window_[cur_pos_], window_[cur_pos_ + 1]);
      }
      match_len_ = 0;
    } else {
      flush = coder_.ct_tally(0, window_[cur_pos_], blockBytes());
      --lookahead_;
      ++cur_pos_;
    }
    if (flush) {
      flushBlock(false);
      block_start_ = std::int32_t(cur_pos_);
    }
    if (lookahead_ < kMinLookahead)
      refill_window();
  }
  return flushBlock(true);
}

std::uint64_t TMatcher::deflate() {
  bool pending_literal = false;
  match_len_ = kMinMatch - 1;
  chain_start_ = kNoPosition;
  while (lookahead_ != 0) {
    if (lookahead_ >= kMinMatch)
      chain_start_ = insert_position(cur_pos_);
    prev_len_ = match_len_;
    const unsigned prev_pos = match_pos_;
    match_len_ = kMinMatch - 1;
    if (chain_start_ != kNoPosition && prev_len_ < lazy_limit_ &&
        cur_pos_ - chain_start_ <= kMaxDist) {
      match_len_ = std::min(search_chain(chain_start_), lookahead_);
      if (match_len_ == kMinMatch && cur_pos_ - match_pos_ > kTooFar)
        match_len_ = kMinMatch - 1;
    }

    if (prev_len_ >= kMinMatch && match_len_ <= prev_len_) {
      // The match at the previous position wins.
      const bool flush =
          coder_.ct_tally(cur_pos_ - 1 - prev_pos, prev_len_ - kMinMatch, blockBytes());
      lookahead_ -= prev_len_ - 1;
      for (unsigned i = prev_len_ - 2; i != 0; --i)
        insert_position(++cur_pos_);
      pending_literal = false;
      match_len_ = kMinMatch - 1;
      ++cur_pos_;
      if (flush) {
        flushBlock(false);
        block_start_ = std::int32_t(cur_pos_);
      }
    } else if (pending_literal) {
      // The previous byte goes out as a literal; a block ending here ends before this byte.
      if (coder_.ct_tally(0, window_[cur_pos_ - 1], blockBytes())) {
        flushBlock(false);
        block_start_ = std::int32_t(cur_pos_);
      }
      ++cur_pos_;
      --lookahead_;
    } else {
      pending_literal = true;
      ++cur_pos_;
      --lookahead_;
    }
    if (lookahead_ < kMinLookahead)
      refill_window();
  }
  if (pending_literal)
    coder_.ct_tally(0, window_[cur_pos_ - 1], blockBytes());
  return flushBlock(true);
}

} // namespace larkspur::deflate
