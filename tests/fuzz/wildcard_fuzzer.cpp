// Fuzzes the wildcard matcher with arbitrary patterns and texts: it must answer every pair
// quickly, and where the plain backtracking matcher finishes within its budget, give the same
// result code.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "zip/format/wildcard_match.h"
#include "zip/format/wildcard_reference.h"

namespace {

// The backtracking matcher recurses once per star and may take exponential time: only short
// inputs are checked against it.
constexpr std::size_t kReferenceMaxLength = 64;
// Steps after which the backtracking matcher gives up on a case.
constexpr long kReferenceBudget = 5000;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2)
    return 0;
  // The first two bytes say where the pattern ends and the text begins.
  const std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
  const std::size_t split = (data[0] | data[1] << 8) % (rest.size() + 1);
  const std::string_view pattern = rest.substr(0, split);
  const std::string_view text = rest.substr(split);

  const auto result = static_cast<int>(larkspur::zip::WildcardMatchResult(pattern, text));
  if (result < 1 || result > 6)
    std::abort();
  if (larkspur::zip::WildcardMatch(pattern, text) != (result == 1))
    std::abort();
  larkspur::zip::HasWildcards(pattern);

  if (pattern.size() <= kReferenceMaxLength && text.size() <= kReferenceMaxLength) {
    const int expected = larkspur::test::WildcardReference(kReferenceBudget).result(pattern, text);
    if (expected != 0 && expected != result)
      std::abort();
  }
  return 0;
}
