// The wildcard matcher: its pattern language, its result codes, agreement with a plain
// backtracking matcher on random patterns, and bounded work on hostile patterns.
#include "zip/format/wildcard_match.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>

#include "zip/format/wildcard_reference.h"

namespace larkspur::zip {
namespace {

struct MatchCase {
  const char* pattern;
  const char* text;
  bool matches;
};

std::ostream& operator<<(std::ostream& os, const MatchCase& c) {
  return os << '"' << c.pattern << "\" vs \"" << c.text << '"';
}

class WildcardMatchTest : public testing::TestWithParam<MatchCase> {};

TEST_P(WildcardMatchTest, MatchesAsThePatternLanguageSays) {
  const MatchCase& c = GetParam();
  EXPECT_EQ(WildcardMatch(c.pattern, c.text), c.matches);
}

INSTANTIATE_TEST_SUITE_P(
    Basics, WildcardMatchTest,
    testing::Values(MatchCase{"*.txt", "README.TXT", true}, MatchCase{"a?c", "ABC", true},
                    MatchCase{"a?c", "ac", false}, MatchCase{"*", "", true},
                    MatchCase{"*", "anything", true}, MatchCase{"", "", true},
                    MatchCase{"", "a", false}, MatchCase{"abc", "ab", false},
                    MatchCase{"ab", "abc", false}, MatchCase{"a*", "a", true},
                    MatchCase{"a**", "a", false}, MatchCase{"a|b", "a|b", true},
                    MatchCase{"*x*y", "axbyy", true}, MatchCase{"*.*", "readme.", true},
                    MatchCase{"*.*", "README", false}, MatchCase{"*.", "README.", true},
                    MatchCase{"*.", "a.txt", false}));

INSTANTIATE_TEST_SUITE_P(
    Sets, WildcardMatchTest,
    testing::Values(MatchCase{"<a-c>x", "bx", true}, MatchCase{"<a-c>x", "dx", false},
                    MatchCase{"<!a-c>x", "bx", false}, MatchCase{"<^a-c>x", "dx", true},
                    MatchCase{"<A-C>", "b", true}, MatchCase{"<xa-c>", "x", true},
                    MatchCase{"<c-a>", "b", false}, MatchCase{"<-a>", "-", true},
                    MatchCase{"f<0-9><0-9>", "f42", true}));

// A malformed set never matches, whatever the text.
INSTANTIATE_TEST_SUITE_P(MalformedSets, WildcardMatchTest,
                         testing::Values(MatchCase{"<a-c", "a", false}, MatchCase{"<a", "a", false},
                                         MatchCase{"<>", "a", false}, MatchCase{"<!>", "a", false},
                                         MatchCase{"<a->", "a", false},
                                         MatchCase{"<a-", "a", false}, MatchCase{"<", "<", false},
                                         MatchCase{"*<a-c", "a", false},
                                         MatchCase{"*<>", "a", false},
                                         MatchCase{"*<c-a>", "b", false}));

INSTANTIATE_TEST_SUITE_P(
    StarSets, WildcardMatchTest,
    testing::Values(MatchCase{"*<0-9>", "2024", true}, MatchCase{"*<0-9>", "20a4", false},
                    MatchCase{"*<0-9>x", "12x", true}, MatchCase{"*<0-9>x", "x", true},
                    MatchCase{"*<0-9>x", "1x2x", false}, MatchCase{"*<0-9>", "", false},
                    MatchCase{"a*<0-9>", "a", false}, MatchCase{"*<!0-9>.txt", "notes.txt", true},
                    MatchCase{"*<!0-9>.txt", "note5.txt", false}, MatchCase{"*<^.>", "a.b", false},
                    MatchCase{"img*<0-9>.png", "IMG0042.PNG", true}));

// Only "A".."Z" fold; every other byte, double-byte characters included, compares as it is.
INSTANTIATE_TEST_SUITE_P(Bytes, WildcardMatchTest,
                         testing::Values(MatchCase{"\xd6\xd0*", "\xd6\xd0\xce\xc4.txt", true},
                                         MatchCase{"\xd6\xd0*", "\xd6\xf0.txt", false},
                                         MatchCase{"?\xc4", "\xd6\xc4", true},
                                         MatchCase{"<\x80-\xff>", "\xe4", true},
                                         MatchCase{"\xc0", "\xe0", false}));

struct ResultCase {
  const char* pattern;
  const char* text;
  WildcardResult result;
};

class WildcardResultTest : public testing::TestWithParam<ResultCase> {};

TEST_P(WildcardResultTest, SaysWhyItDidNotMatch) {
  const ResultCase& c = GetParam();
  EXPECT_EQ(WildcardMatchResult(c.pattern, c.text), c.result) << c.pattern << " / " << c.text;
}

INSTANTIATE_TEST_SUITE_P(Codes, WildcardResultTest,
                         testing::Values(ResultCase{"a*b", "axb", WildcardResult::Match},
                                         ResultCase{"ab", "abc", WildcardResult::TextRemains},
                                         ResultCase{"*x", "ab", WildcardResult::TextRemains},
                                         ResultCase{"abc", "ab", WildcardResult::PatternRemains},
                                         ResultCase{"*??", "ab", WildcardResult::PatternRemains},
                                         ResultCase{"<a-c>", "x", WildcardResult::NotInSet},
                                         ResultCase{"abc", "abd", WildcardResult::ByteDiffers},
                                         ResultCase{"a<b", "ab", WildcardResult::Malformed}));

// Random patterns over the bytes that matter, checked result for result against the
// backtracking matcher (the budget keeps it to cases it finishes quickly).
TEST(WildcardMatchAgreement, AgreesWithBacktrackingOnRandomPatterns) {
  std::mt19937 random(20240601);
  const std::string patternBytes = "ab**?<>!^-";
  const std::string textBytes = "abAB-<>";
  int compared = 0;
  for (int i = 0; i < 200000; ++i) {
    std::string pattern, text;
    for (int n = static_cast<int>(random() % 14); n > 0; --n)
      pattern += patternBytes[random() % patternBytes.size()];
    for (int n = static_cast<int>(random() % 16); n > 0; --n)
      text += textBytes[random() % textBytes.size()];
    const int expected = test::WildcardReference().result(pattern, text);
    if (expected == 0)
      continue;
    ++compared;
    ASSERT_EQ(static_cast<int>(WildcardMatchResult(pattern, text)), expected)
        << '"' << pattern << "\" vs \"" << text << '"';
  }
  EXPECT_GT(compared, 190000);
}

double secondsFor(const std::string& pattern, const std::string& text, bool expected) {
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(WildcardMatch(pattern, text), expected);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(WildcardMatchHostile, AnswersStarChainsAtOnce) {
  const std::string as(10000, 'a');
  EXPECT_LT(secondsFor("*a*a*a*a*a*a*a*a*b", as, false), 1.0);
  EXPECT_LT(secondsFor("*a*a*a*a*a*a*a*a*a", as, true), 1.0);
  EXPECT_LT(secondsFor("*<a>*<a>*<a>*<a>*<a>b", as, false), 1.0);
}

TEST(WildcardMatchHostile, SurvivesVeryLongPatterns) {
  std::string stars;
  for (int i = 0; i < 50000; ++i)
    stars += "*a";
  EXPECT_LT(secondsFor(stars, std::string(200, 'a'), false), 2.0);
  EXPECT_FALSE(WildcardMatch(std::string(100000, '<'), "<"));
  EXPECT_TRUE(WildcardMatch(std::string(100000, '?'), std::string(100000, 'x')));
}

TEST(HasWildcards, FindsEachWildcardByte) {
  for (const char c : kWildcardChars)
    EXPECT_TRUE(HasWildcards(std::string("dir") + c + "x")) << c;
  EXPECT_FALSE(HasWildcards("C:\\plain\\name.txt"));
  EXPECT_FALSE(HasWildcards(""));
}

} // namespace
} // namespace larkspur::zip
