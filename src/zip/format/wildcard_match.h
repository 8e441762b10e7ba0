// The wildcard matcher used for file masks and exclusion lists: "?", "*", byte sets "<a-c>",
// negated sets "<!..>" / "<^..>" and star sets "*<0-9>", compared after ASCII lower-casing.
// Runs in O(pattern x text) time and O(text) memory whatever the pattern.
#pragma once

#include <string_view>

namespace larkspur::zip {

// The bytes that make a path pattern a search rather than a single name.
inline constexpr std::string_view kWildcardChars = "*?<>|";

// Why a pattern did or did not match; only Match counts as a match.
enum class WildcardResult : int {
  Match = 1,
  TextRemains = 2,    // the pattern ended while text remained
  PatternRemains = 3, // the text ended while pattern remained, or a star cannot be satisfied
  NotInSet = 4,       // a byte was not accepted by a set
  ByteDiffers = 5,    // a literal byte differed
  Malformed = 6,      // a set without its ">", an empty set "<>", a range without its end
};

WildcardResult WildcardMatchResult(std::string_view pattern, std::string_view text);

// True exactly when WildcardMatchResult is Match.
bool WildcardMatch(std::string_view pattern, std::string_view text);

// Whether any byte of `text` is one of kWildcardChars.
bool HasWildcards(std::string_view text);

} // namespace larkspur::zip
