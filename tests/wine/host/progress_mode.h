// The shell host's progress mode: the dialog compressing a large file, held still half-way so a
// screenshot can show its bar, with a second press of add made during the run.
#pragma once

#include <string>

namespace larkspur::wine {

// Opens the dialog for `file` through the extension (offset 2) and presses add. When the bar is
// between kLowPercent and kHighPercent, presses add again, writes "<markers>dialog-mid.txt"
// ("percent left top right bottom" of the window) and holds the run until
// "<markers>shot-done.txt" appears. Returns the number of failed checks.
int RunProgress(const std::string& markers, const std::string& file);

} // namespace larkspur::wine
