// Marker files of the shell host.
#include "host/marker_file.h"

#include <windows.h>

#include <cstdio>

namespace larkspur::wine {

void WriteMarker(const std::string& path, const std::string& text) {
  const std::string partial = path + ".part";
  if (FILE* file = std::fopen(partial.c_str(), "wb")) {
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
  }
}

} // namespace larkspur::wine
