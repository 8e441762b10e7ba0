// The longest-match search of levels 8 and 9 through the longer-prefix chains. It returns what
// the plain walk of the 3-byte chain returns, while visiting only candidates that share enough
// leading bytes to beat the best match so far. Keeping the chains costs about as much as a
// short walk, so they are used only while the walks are long.
//
// Why the result is the same: the plain walk examines the first `count` candidates of the
// 3-byte chain that lie within the distance limit and keeps the longest, the nearest among
// equals. A candidate can only replace a best of length B if it shares B + 1 leading bytes,
// so it also lies on the chain of every prefix of at most B + 1 bytes, which lists positions
// newest first like the 3-byte chain. Walking such a chain visits every candidate that could
// win, in the plain walk's order; a candidate's rank in the 3-byte chain (the difference of
// the insertion stamps of its chain) tells whether the plain walk would have reached it, and
// ranks only grow along a chain, so the first one out of reach ends the search.
#include "deflate/match_finder.h"

namespace larkspur::deflate {
namespace {

// The first three bytes of two positions agree: then they hash alike and lie on one 3-byte
// chain, so their stamps compare.
inline bool sameFirstThree(const std::uint8_t* a, const std::uint8_t* b) {
  return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

// Index of the longest prefix chain whose members are all that may still beat `best`: its
// prefix is at most best + 1 bytes (best is at least 3 here).
inline unsigned chainFor(unsigned best) {
  static_assert(kPrefixLengths[0] == kMinMatch + 1);
  unsigned k = 0;
  while (k + 1 < kPrefixChains && kPrefixLengths[k + 1] <= best + 1)
    ++k;
  return k;
}

// Average 3-byte candidates per search from which the chains pay (switched on), and below which
// they no longer do (switched off); apart, so that a mixed input does not keep rebuilding them.
constexpr unsigned kLongWalks = 16;
constexpr unsigned kShortWalks = 6;
static_assert(kShortWalks < kLongWalks);

// How far ahead of the current position the prefix chains are filled.
constexpr unsigned kInsertAhead = 64;

} // namespace

unsigned TMatcher::chainReach(unsigned first) const {
  const unsigned count = prev_len_ >= good_len_ ? chain_limit_ >> 2 : chain_limit_;
  const unsigned limit = cur_pos_ > kMaxDist ? cur_pos_ - kMaxDist : kNoPosition;
  unsigned examined = 1;
  for (unsigned c = first; examined < count; ++examined) {
    c = std::uint16_t(chain_prev_[c & kHashMask]);
    if (c <= limit)
      break;
  }
  return examined;
}

void TMatcher::startPrefixChains() {
  const bool always = prefix_ != nullptr && buffers_.matchSearch() == TMatchSearch::PrefixChains;
  prefix_on_ = always;
  if (always)
    prefix_->clear();
  first_choice_ = !always;
  prefix_next_ = 0;
  searches_ = 0;
  walkedSum_ = 0;
}

void TMatcher::choosePrefixChains() {
  if (prefix_ == nullptr || searches_ < kFirstChoiceSearches)
    return;
  first_choice_ = false;
  bool on = prefix_on_;
  switch (buffers_.matchSearch()) {
  case TMatchSearch::Adaptive:
    if (on && walkedSum_ < std::uint64_t(kShortWalks) * searches_)
      on = false;
    else if (!on && walkedSum_ >= std::uint64_t(kLongWalks) * searches_)
      on = true;
    break;
  case TMatchSearch::Alternating:
    on = !on;
    break;
  case TMatchSearch::PlainWalk:
  case TMatchSearch::PrefixChains:
    break;
  }
  if (on && !prefix_on_) {
    // Switched off, the chains were left as they were. They are rebuilt over every position
    // that a search from here on may still reach (the farthest is a first candidate at
    // kMaxDist), which gives each chain and each rank exactly as if they had been kept.
    prefix_->clear();
    prefix_next_ = cur_pos_ > kMaxDist ? cur_pos_ - kMaxDist : 0;
  }
  prefix_on_ = on;
  searches_ = 0;
  walkedSum_ = 0;
}

void TMatcher::catchUpPrefixChains() {
  // Positions up to cur_pos have their first kMaxPrefix bytes inside the lookahead (at least
  // 262 bytes here), so they are hashed over the input itself.
  // They are added ahead of the current position in runs, which costs less than one or two
  // at a time; a search enters the chains at the current position's own links, so it never
  // meets a position added ahead. A position up to kMinLookahead - kMaxPrefix ahead still has
  // its bytes in the lookahead, and the slot it takes belonged to a position beyond every
  // search's distance limit.
  static_assert(kMinLookahead > kMaxPrefix + kInsertAhead);
  static_assert(kHalfWindow - kMaxDist > kInsertAhead);
  if (prefix_next_ <= cur_pos_) {
    const unsigned last = cur_pos_ + kInsertAhead;
    prefix_->insert(window_, prefix_next_, last);
    prefix_next_ = last + 1;
  }
}

unsigned TMatcher::search_prefix(unsigned first) {
  catchUpPrefixChains();
  unsigned best = prev_len_;
  unsigned bestPos = match_pos_;
  unsigned count = chain_limit_;
  if (prev_len_ >= good_len_)
    count >>= 2;
  const unsigned limit = cur_pos_ > kMaxDist ? cur_pos_ - kMaxDist : kNoPosition;
  const std::uint8_t* const window = window_;
  const std::uint8_t* const scan = window + cur_pos_;
  const unsigned niceLen = unsigned(nice_len_);
  const std::uint32_t curStamp = prefix_->stamp(cur_pos_);

  // Quick reject as in the plain walk (see endCheck).
  const std::uint8_t* scanEnd = nullptr;
  std::uint64_t endMask = 0;
  std::uint64_t endBytes = 0;
  const auto setEnd = [&] {
    const TEndCheck check = endCheck(best);
    scanEnd = scan + check.offset;
    endMask = check.mask;
    endBytes = load64(scanEnd) & endMask;
  };
  // True when the candidate is longer than best (and then the new best).
  const auto improves = [&](unsigned c) {
    if ((load64(scanEnd - cur_pos_ + c) & endMask) != endBytes)
      return false;
    const unsigned len = matchLength(scan, window + c);
    if (len <= best)
      return false;
    bestPos = c;
    best = len;
    setEnd();
    return true;
  };
  // What the plain walk would have examined, as far as this search can tell: the rank of the
  // farthest candidate it reached.
  std::uint32_t reach = 1;
  const auto finish = [&] {
    match_pos_ = bestPos;
    countWalk(reach);
    return best;
  };

  // Until some candidate shares three bytes, the 3-byte chain itself is walked, link by link.
  unsigned c = first;
  if (best < kMinMatch) {
    setEnd();
    for (unsigned index = 0;;) {
      if (improves(c))
        break;
      c = std::uint16_t(chain_prev_[c & kHashMask]);
      reach = ++index;
      if (c <= limit || index == count)
        return finish();
    }
    if (best >= niceLen)
      return finish();
  } else {
    setEnd();
    c = cur_pos_; // the chains are entered from the current position itself
  }

  // `c` is the newest position that the walk has dealt with: the best match just found, or the
  // current position. The walk goes on along chain k from there.
  unsigned k = chainFor(best);
  const auto enter = [&](unsigned from) -> unsigned {
    if (from != cur_pos_ && kPrefixLengths[k] <= best) {
      // The best match shares the chain's prefix, so it lies on the chain.
      return prefix_->prev(k, from);
    }
    // Start from the current position and pass over positions as new as `from` or newer; they
    // cannot share the prefix (they were examined, and would be longer than best), so these
    // are only collisions of the longer hash.
    unsigned p = prefix_->prev(k, cur_pos_);
    while (from != cur_pos_ && p >= from)
      p = prefix_->prev(k, p);
    return p;
  };
  c = enter(c);
  for (;;) {
    if (c <= limit && c != first)
      return finish();
    if (sameFirstThree(window + c, scan)) {
      reach = curStamp - prefix_->stamp(c);
      if (reach > count)
        return finish();
      if (improves(c)) {
        if (best >= niceLen)
          return finish();
        const unsigned longer = chainFor(best);
        if (longer != k) {
          k = longer;
          c = enter(c);
          continue;
        }
      }
    }
    c = prefix_->prev(k, c);
  }
}

} // namespace larkspur::deflate
