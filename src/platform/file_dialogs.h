// The reader's few pieces of user interface: the common open-file and folder dialogs and the
// mouse cursor. Only a caller's explicit request shows them; POSIX has none of them.
#pragma once

#include <optional>
#include <string>

namespace larkspur::platform {

// Asks for an existing file. `filter` is "Label|pattern|Label|pattern..."; nullopt when the user
// cancels (always on POSIX, where there is no dialog to show).
std::optional<std::string> chooseOpenFile(const std::string& title, const std::string& filter,
                                          const std::string& initialDirectory);
// Asks for a folder, starting at `startDirectory` (the current directory when empty); nullopt
// when the user cancels (always on POSIX).
std::optional<std::string> chooseFolder(const std::string& startDirectory);

enum class CursorShape { Default, Busy };
// Shows the mouse cursor in that shape (nothing on POSIX).
void showCursor(CursorShape shape);

} // namespace larkspur::platform
