// The usage's option lines, written from the option tables.
#include "cli/option_table.h"

namespace larkspur::cli {

namespace {

constexpr std::size_t kIndent = 4;      // the option lines sit under "  OPTIONS ...:"
constexpr std::size_t kHelpColumn = 28; // where help texts start
constexpr std::size_t kLineWidth = 92;  // as wide as the usage's other lines
static_assert(kIndent < kHelpColumn && kHelpColumn + 40 <= kLineWidth);

// Appends `text` word by word from column `used`, breaking lines before kLineWidth.
void writeWrapped(std::ostream& to, std::string_view text, std::size_t used) {
  bool lineStarted = false;
  while (!text.empty()) {
    const std::size_t end = text.find(' ');
    const std::string_view word = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (word.empty())
      continue;
    if (lineStarted && used + 1 + word.size() > kLineWidth) {
      to << '\n' << std::string(kHelpColumn, ' ');
      used = kHelpColumn;
      lineStarted = false;
    }
    if (lineStarted) {
      to << ' ';
      ++used;
    }
    to << word;
    used += word.size();
    lineStarted = true;
  }
  to << '\n';
}

} // namespace

void writeOptionHelp(std::ostream& to, std::span<const OptionInfo> options, unsigned commands) {
  for (const OptionInfo& option : options) {
    if (option.help.empty() || (option.commands & commands) == 0)
      continue;
    std::string head(kIndent, ' ');
    head += option.name;
    if (!option.argument.empty()) {
      head += ' ';
      head += option.argument;
    }
    to << head;
    if (head.size() + 1 >= kHelpColumn) { // a long head gets the help on the next line
      to << '\n';
      head.clear();
    }
    to << std::string(kHelpColumn - head.size(), ' ');
    writeWrapped(to, option.help, kHelpColumn);
  }
}

} // namespace larkspur::cli
