// A step-by-step backtracking matcher with the same rules as WildcardMatchResult, kept as an
// independent oracle for the unit and fuzz tests. It takes exponential time on some patterns,
// so it gives up (returns 0) after a budget of steps.
#pragma once

#include <bitset>
#include <string>
#include <string_view>

namespace larkspur::test {

class WildcardReference {
public:
  explicit WildcardReference(long budget = 200000) : budget_(budget) {}

  // 1..6 as WildcardResult, or 0 when the budget ran out.
  int result(std::string_view pattern, std::string_view text) {
    p_ = lower(pattern);
    t_ = lower(text);
    exhausted_ = false;
    const int r = match(0, 0);
    return exhausted_ ? 0 : r;
  }

private:
  struct StarSet {
    std::bitset<256> bytes;
    bool negated = false;
  };

  static std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
      if (c >= 'A' && c <= 'Z')
        c = static_cast<char>(c - 'A' + 'a');
    return out;
  }

  // A byte past the end reads as 0, like the terminator of a C string.
  unsigned char at(std::size_t i) const {
    return i < p_.size() ? static_cast<unsigned char>(p_[i]) : 0;
  }

  bool spend() {
    if (--budget_ < 0)
      exhausted_ = true;
    return !exhausted_;
  }

  // The whole pattern from p0 against the text from t0.
  int match(std::size_t p0, std::size_t t0) {
    if (!spend())
      return 0;
    const std::size_t pn = p_.size() - p0;
    const std::size_t tn = t_.size() - t0;
    StarSet set;
    if (std::string_view(p_).substr(p0) == "*")
      return 1;
    int r = 0;
    std::size_t p = 0;
    std::size_t t = 0;
    while (r == 0 && p < pn) {
      const char pc = p_[p0 + p];
      if (t >= tn) {
        r = (pc == '*' && p == pn - 1) ? 1 : 3;
        break;
      }
      const unsigned char c = static_cast<unsigned char>(t_[t0 + t]);
      if (pc == '*') {
        if (p + 1 < pn && p_[p0 + p + 1] == '<') {
          std::size_t q = p0 + p;
          if (!readStarSet(q, set)) {
            r = 3;
            break;
          }
          r = afterStar(q, t0 + t, set);
        } else {
          set = StarSet{};
          r = afterStar(p0 + p, t0 + t, set);
        }
        break;
      }
      if (pc == '<') {
        std::size_t q = p0 + p;
        r = setTest(q, c);
        p = q - p0;
      } else if (pc != '?' && static_cast<unsigned char>(pc) != c) {
        r = 5;
      }
      ++p;
      ++t;
    }
    if (r == 0)
      r = t < tn ? 2 : 1;
    return r;
  }

  int setTest(std::size_t& p, unsigned char c) const {
    const std::size_t n = p_.size();
    ++p;
    if (p >= n)
      return 6;
    bool negated = false;
    if (p_[p] == '!' || p_[p] == '^') {
      negated = true;
      if (++p >= n)
        return 6;
    }
    if (p_[p] == '>')
      return 6;
    bool member = false;
    while (!member && p_[p] != '>') {
      const std::size_t s = p;
      std::size_t e = s;
      if (++p >= n)
        return 6;
      if (p_[p] == '-') {
        if (++p >= n || p_[p] == '>')
          return 6;
        e = p;
        ++p;
      }
      if (p >= n)
        return 6;
      member = e > s ? at(s) <= c && c <= at(e) : c == at(s);
    }
    if (negated == member)
      return 4;
    if (member) {
      while (p < n && p_[p] != '>')
        ++p;
      if (p >= n)
        return 6;
    }
    return 0;
  }

  bool readStarSet(std::size_t& p, StarSet& set) const {
    set = StarSet{};
    p += 2;
    if (p >= p_.size())
      return false;
    if (p_[p] == '!' || p_[p] == '^') {
      set.negated = true;
      ++p;
    }
    for (;;) {
      if (p >= p_.size()) {
        set.bytes.reset();
        break;
      }
      if (p_[p] == '>')
        break;
      if (p + 1 < p_.size() && p_[p + 1] == '-') {
        for (unsigned c = at(p); c <= at(p + 2); ++c)
          set.bytes.set(c);
        p += 2;
      } else {
        set.bytes.set(at(p));
      }
      ++p;
    }
    ++p;
    return set.bytes.any();
  }

  // The pattern from q0 after a star (or its set) against the text from t0.
  int afterStar(std::size_t q0, std::size_t t0, const StarSet& set) {
    const std::size_t pn = q0 < p_.size() ? p_.size() - q0 : 0;
    const std::size_t tn = t_.size() - t0;
    int r = 0;
    std::size_t p = 0;
    std::size_t t = 0;
    if (pn > 0)
      while (t < tn && p < pn && (p_[q0 + p] == '*' || p_[q0 + p] == '?')) {
        if (p_[q0 + p] == '?')
          ++t;
        ++p;
      }
    if (t >= tn)
      return 3;
    if (pn > 0 && p >= pn)
      return 1;
    do {
      const unsigned char c = static_cast<unsigned char>(t_[t0 + t]);
      if (pn > 0 && (static_cast<unsigned char>(p_[q0 + p]) == c || p_[q0 + p] == '<'))
        r = match(q0 + p, t0 + t);
      if (exhausted_)
        return 0;
      if (r != 1 && set.bytes.any() && set.bytes.test(c) == set.negated)
        return 3;
      ++t;
    } while (r != 1 && t < tn);
    if (p >= pn && t >= tn)
      return 1;
    return r;
  }

  long budget_;
  bool exhausted_ = false;
  std::string p_;
  std::string t_;
};

} // namespace larkspur::test
