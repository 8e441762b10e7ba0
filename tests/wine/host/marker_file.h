// Marker files through which the shell host tells a waiting script what happened.
#pragma once

#include <string>

namespace larkspur::wine {

// Writes `text` to `path` through a temporary name, so a poller sees all of it or nothing.
void WriteMarker(const std::string& path, const std::string& text);

} // namespace larkspur::wine
