// POSIX has no common dialogs or mouse cursor of its own: every dialog answers as cancelled, so
// a caller that asks for one gets its cancel path.
#include "platform/file_dialogs.h"

namespace larkspur::platform {

std::optional<std::string> chooseOpenFile(const std::string&, const std::string&,
                                          const std::string&) {
  return std::nullopt;
}

std::optional<std::string> chooseFolder(const std::string&) {
  return std::nullopt;
}

void showCursor(CursorShape) {}

} // namespace larkspur::platform
