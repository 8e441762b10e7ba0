// Seek helpers shared by the file, buffer and memory streams.
#include "zip/format/seek_support.h"

#include <cstdio>
#include <limits>

#include "platform/error.h"
#include "zip/format/format_texts.h"

namespace larkspur::zip {

void RaiseInvalidSeekOrigin(int origin) {
  char text[sizeof texts::kInvalidSeekOrigin + 16];
  std::snprintf(text, sizeof text, texts::kInvalidSeekOrigin, origin);
  throw Error(text);
}

std::int64_t AddSaturated(std::int64_t a, std::int64_t b) {
  std::int64_t sum = 0;
  if (!__builtin_add_overflow(a, b, &sum))
    return sum;
  return b > 0 ? std::numeric_limits<std::int64_t>::max()
               : std::numeric_limits<std::int64_t>::min();
}

} // namespace larkspur::zip
