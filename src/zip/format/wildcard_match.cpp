// The wildcard matcher. The matching rules are those of a backtracking matcher that tries every
// placement of the pattern after a star; evaluated naively that takes exponential time on
// patterns like "*a*a*a*b". Here the pattern is cut at its stars and, from the last star to the
// first, the outcome of "the rest of the pattern after this star, from text position u" is
// tabulated for every u, so each (pattern position, text position) pair is visited once.
#include "zip/format/wildcard_match.h"

#include <algorithm>
#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/paths.h"

namespace larkspur::zip {

namespace {

using Code = std::uint8_t;
constexpr Code kMatch = 1;
constexpr Code kTextRemains = 2;
constexpr Code kPatternRemains = 3;
constexpr Code kNotInSet = 4;
constexpr Code kByteDiffers = 5;
constexpr Code kMalformed = 6;
// A star that never found a text byte where the rest of the pattern could start; the walk that
// met the star then reports that text remained (kTextRemains).
constexpr Code kNoAttempt = 0;
// Accepted by a set test: matching goes on.
constexpr Code kAccepted = 0;

static_assert(kMatch == static_cast<Code>(WildcardResult::Match));
static_assert(kMalformed == static_cast<Code>(WildcardResult::Malformed));

constexpr std::size_t kNone = std::string_view::npos;
constexpr std::size_t kByteValues = 256;

bool isNegation(char c) {
  return c == '!' || c == '^';
}

unsigned char byteAt(std::string_view s, std::size_t i) {
  return static_cast<unsigned char>(s[i]);
}

// Tests `c` against the set whose "<" is at `pos`; on acceptance leaves `pos` on its ">".
Code testSet(std::string_view p, std::size_t& pos, unsigned char c) {
  const std::size_t n = p.size();
  if (++pos >= n)
    return kMalformed;
  bool negated = false;
  if (isNegation(p[pos])) {
    negated = true;
    if (++pos >= n)
      return kMalformed;
  }
  if (p[pos] == '>')
    return kMalformed;
  bool member = false;
  while (!member && p[pos] != '>') {
    const std::size_t first = pos;
    std::size_t last = pos;
    if (++pos >= n)
      return kMalformed;
    if (p[pos] == '-') {
      if (++pos >= n || p[pos] == '>')
        return kMalformed;
      last = pos++;
    }
    if (pos >= n)
      return kMalformed;
    member = last > first ? byteAt(p, first) <= c && c <= byteAt(p, last) : c == byteAt(p, first);
  }
  if (negated == member)
    return kNotInSet;
  if (member) {
    pos = p.find('>', pos);
    if (pos == kNone)
      return kMalformed;
  }
  return kAccepted;
}

// Where a set test starting at `pos` leaves the pattern when it accepts a byte (no item of a set
// can contain ">", so that is the first ">" after the first item); kNone when none can pass.
std::size_t setClose(std::string_view p, std::size_t pos) {
  std::size_t first = pos + 1;
  if (first < p.size() && isNegation(p[first]))
    ++first;
  if (first >= p.size() || p[first] == '>')
    return kNone;
  return p.find('>', first + 1);
}

struct ByteSet {
  std::bitset<kByteValues> members;
  bool negated = false;
  bool accepts(unsigned char c) const { return members.test(c) != negated; }
};

// Reads the set of a star at `pos` (followed by "<") and leaves `pos` after its ">". False when
// the set has no members, including when it runs past the end of the pattern.
bool readStarSet(std::string_view p, std::size_t& pos, ByteSet& set) {
  const std::size_t n = p.size();
  std::size_t i = pos + 2;
  if (i < n && isNegation(p[i])) {
    set.negated = true;
    ++i;
  }
  for (;; ++i) {
    if (i >= n)
      return false;
    if (p[i] == '>')
      break;
    if (i + 1 < n && p[i + 1] == '-') {
      // A range whose end lies past the pattern leaves no closing ">" either.
      if (i + 2 >= n)
        return false;
      for (unsigned c = byteAt(p, i); c <= byteAt(p, i + 2); ++c)
        set.members.set(c);
      i += 2;
    } else {
      set.members.set(byteAt(p, i));
    }
  }
  pos = i + 1;
  return set.members.any();
}

// A star with its optional set and the stars and question marks that follow it: they all
// belong to one run of the text, its question marks taking one byte each before the run.
struct StarGroup {
  bool unsatisfiable = false; // "*<...>" whose set is empty or never closed
  bool restricted = false;    // the run's bytes must pass `set`
  ByteSet set;
  bool tailEmpty = false; // nothing follows the star's set
  std::size_t questionMarks = 0;
  std::size_t rest = 0; // the pattern position after the group
  // The first text position at which a walk can meet this star: every element before it takes
  // one byte. Outcomes for earlier positions are never asked for, so they are not worked out.
  std::size_t earliest = 0;
};

// The next star that a walk from `pos` can reach, skipping over sets as a walk does; `elements`
// counts the bytes of text the walk takes on the way.
std::size_t nextStar(std::string_view p, std::size_t pos, std::size_t& elements) {
  for (; pos < p.size(); ++pos, ++elements) {
    if (p[pos] == '*')
      return pos;
    if (p[pos] == '<') {
      pos = setClose(p, pos);
      if (pos == kNone)
        return kNone;
    }
  }
  return kNone;
}

std::vector<StarGroup> starGroups(std::string_view p) {
  std::vector<StarGroup> groups;
  std::size_t elements = 0;
  for (std::size_t star = nextStar(p, 0, elements); star != kNone;) {
    StarGroup& g = groups.emplace_back();
    g.earliest = elements;
    std::size_t pos = star;
    if (pos + 1 < p.size() && p[pos + 1] == '<') {
      if (!readStarSet(p, pos, g.set)) {
        g.unsatisfiable = true;
        break;
      }
      g.restricted = true;
      if (pos >= p.size()) {
        g.tailEmpty = true;
        break;
      }
    }
    for (; pos < p.size() && (p[pos] == '*' || p[pos] == '?'); ++pos)
      g.questionMarks += p[pos] == '?';
    g.rest = pos;
    elements += g.questionMarks;
    star = nextStar(p, pos, elements);
  }
  return groups;
}

class Matcher {
public:
  Matcher(std::string_view pattern, std::string_view text)
      : p_(paths::LowerCaseAscii(pattern)), t_(paths::LowerCaseAscii(text)) {}

  Code run() {
    if (p_ == "*")
      return kMatch;
    std::vector<Code> next(t_.size());
    std::vector<Code> current(t_.size());
    const std::vector<StarGroup> groups = starGroups(p_);
    for (auto g = groups.rbegin(); g != groups.rend(); ++g) {
      afterStar(*g, next, current);
      next.swap(current);
    }
    return walk(0, 0, next);
  }

private:
  // Matches the pattern from `pos` against the text from `t` up to the next star, whose
  // outcomes for every text position are `afterNextStar`.
  Code walk(std::size_t pos, std::size_t t, const std::vector<Code>& afterNextStar) const {
    while (pos < p_.size()) {
      if (t >= t_.size())
        return p_[pos] == '*' && pos + 1 == p_.size() ? kMatch : kPatternRemains;
      const unsigned char c = byteAt(t_, t);
      if (p_[pos] == '*')
        return afterNextStar[t];
      if (p_[pos] == '<') {
        if (const Code r = testSet(p_, pos, c); r != kAccepted)
          return r;
      } else if (p_[pos] != '?' && byteAt(p_, pos) != c) {
        return kByteDiffers;
      }
      ++pos;
      ++t;
    }
    return t < t_.size() ? kTextRemains : kMatch;
  }

  // out[u]: the outcome of a star of group `g` met at text position u (always within the text).
  void afterStar(const StarGroup& g, const std::vector<Code>& afterNextStar,
                 std::vector<Code>& out) const {
    const std::size_t m = t_.size();
    const std::size_t first = std::min(g.earliest, m);
    if (g.unsatisfiable) {
      std::fill(out.begin() + static_cast<std::ptrdiff_t>(first), out.end(), kPatternRemains);
      return;
    }
    if (g.tailEmpty) {
      // The run takes the rest of the text: every byte must pass the set.
      bool allPass = true;
      for (std::size_t u = m; u-- > first;) {
        allPass = allPass && g.set.accepts(byteAt(t_, u));
        out[u] = allPass ? kMatch : kPatternRemains;
      }
      return;
    }
    const bool restEnds = g.rest >= p_.size();
    if (!restEnds) {
      // Runs ending before u are ruled out already; the rest is tried at u, and only if that
      // fails (and the set admits the byte) does the run take the byte and go on. The outcome
      // reported is that of the last attempt.
      Code later = kNoAttempt;
      for (std::size_t u = m; u-- > first;) {
        const unsigned char c = byteAt(t_, u);
        Code r = kNoAttempt;
        if (byteAt(p_, g.rest) == c || p_[g.rest] == '<')
          r = walk(g.rest, u, afterNextStar);
        if (r != kMatch && g.restricted && !g.set.accepts(c))
          r = kPatternRemains;
        else if (r != kMatch && later != kNoAttempt)
          r = later;
        out[u] = later = r;
      }
    }
    // The question marks take their bytes first; out[u + k] is still the unshifted value.
    for (std::size_t u = first; u < m; ++u) {
      const std::size_t v = u + g.questionMarks;
      if (v >= m)
        out[u] = kPatternRemains;
      else if (restEnds)
        out[u] = kMatch;
      else
        out[u] = out[v] == kNoAttempt ? kTextRemains : out[v];
    }
  }

  std::string p_;
  std::string t_;
};

} // namespace

WildcardResult WildcardMatchResult(std::string_view pattern, std::string_view text) {
  return static_cast<WildcardResult>(Matcher(pattern, text).run());
}

bool WildcardMatch(std::string_view pattern, std::string_view text) {
  return WildcardMatchResult(pattern, text) == WildcardResult::Match;
}

bool HasWildcards(std::string_view text) {
  return text.find_first_of(kWildcardChars) != std::string_view::npos;
}

} // namespace larkspur::zip
