// Names and comments from archives as the terminal shows them, from any bytes: the text is
// well-formed UTF-8 and holds no control character that could move the cursor or recolour the
// terminal, whether the bytes claim to be UTF-8 or come in the legacy code page.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "cli/terminal_text.h"

namespace {

void checkShown(const std::string& shown) {
  if (!larkspur::cli::IsValidUtf8(shown))
    std::abort();
  for (const char c : shown) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F)
      std::abort();
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  checkShown(larkspur::cli::TerminalText(text));
  checkShown(larkspur::cli::TerminalText(text, true));
  return 0;
}
