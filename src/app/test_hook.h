// The hidden automation mode the Wine tests drive Larkspur.exe with: when LARKSPUR_TEST_HOOK
// names a folder, the questions take their answers from its answers.txt (lines "KIND ANSWER",
// consumed in order per kind) instead of waiting for a person, and everything the program shows
// is appended to its shown.txt ("KIND TEXT" lines, the texts as shown, GBK). The windows
// themselves are still created and their buttons pressed through their messages.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace larkspur::app {

class TestHook {
public:
  // Nothing when the variable is not set (every ordinary run).
  static std::optional<TestHook> fromEnvironment();
  explicit TestHook(const std::string& folder);

  // The next unused answer of `kind` (the rest of its line), nothing when there is none left.
  std::optional<std::string> next(std::string_view kind);
  void record(std::string_view kind, std::string_view text) const;

private:
  std::string shownFile_;
  std::vector<std::string> answers_;
  std::vector<bool> used_;
};

} // namespace larkspur::app
