// Why a path the writer was given or found cannot be taken in: the answer a user needs beside
// the name of every file left out of an archive.
#pragma once

#include <string>

namespace larkspur::platform {

enum class PathTrouble {
  None,       // the path can be read as it is
  NotFound,   // nothing of that name exists (any more)
  Unreadable, // it exists, but reading or listing it is refused
  NotRegular, // a named pipe, socket or device rather than a file or folder
  TooLong,    // the path is longer than the system allows
};

// Asks the system about `path` (a file, or with `folder` a folder to be listed).
PathTrouble pathTrouble(const std::string& path, bool folder);

} // namespace larkspur::platform
