// Puts a finished file (the rebuilt archive) in the place of another: a rename on the same
// drive, with the old file moved aside as "<name>$$$" meanwhile, else a copy.
#pragma once

#include <functional>
#include <string>

#include "platform/platform.h"

namespace larkspur::zip {

// Shows a plain message box: text, caption, MB_* flags; returns the ID* answer.
using MessageBoxFunction =
    std::function<int(const std::string& text, const std::string& caption, unsigned flags)>;

// Moves or copies `source` to `destination`. A copy that moves no bytes is reported in a box
// captioned "Error" ("Could not copy from <source> -> <destination>"), not raised; errors of
// opening, creating or copying pass through as stream exceptions, with the destination put back
// as it was when it had been moved aside. The caller deletes `source` afterwards.
void ReplaceFile(const std::string& source, const std::string& destination,
                 const MessageBoxFunction& showMessage = platform::messageBox);

} // namespace larkspur::zip
