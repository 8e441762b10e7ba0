// The automation mode's answer and record files.
#include "app/test_hook.h"

#include <cstdlib>
#include <fstream>

#include "platform/platform.h"

namespace larkspur::app {

std::optional<TestHook> TestHook::fromEnvironment() {
  const char* folder = std::getenv("LARKSPUR_TEST_HOOK");
  if (folder == nullptr || *folder == '\0')
    return std::nullopt;
  return TestHook(folder);
}

TestHook::TestHook(const std::string& folder)
    : shownFile_(folder + platform::kPathDelimiter + "shown.txt") {
  std::ifstream answers(folder + platform::kPathDelimiter + "answers.txt", std::ios::binary);
  for (std::string line; std::getline(answers, line);) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    answers_.push_back(line);
  }
  used_.assign(answers_.size(), false);
}

std::optional<std::string> TestHook::next(std::string_view kind) {
  for (std::size_t i = 0; i < answers_.size(); ++i) {
    const std::string& line = answers_[i];
    const bool matches = line.compare(0, kind.size(), kind) == 0 &&
                         (line.size() == kind.size() || line[kind.size()] == ' ');
    if (!used_[i] && matches) {
      used_[i] = true;
      return line.size() > kind.size() ? line.substr(kind.size() + 1) : std::string();
    }
  }
  return std::nullopt;
}

void TestHook::record(std::string_view kind, std::string_view text) const {
  // Opened per line, so a test polling the file sees every complete line at once.
  std::ofstream shown(shownFile_, std::ios::binary | std::ios::app);
  shown << kind << ' ' << text << '\n';
}

} // namespace larkspur::app
