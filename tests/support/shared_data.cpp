// Locating the shared test data; Windows builds see it through Wine's Z: drive.
#include "support/shared_data.h"

#include <cstdlib>

#include "platform/platform.h"

namespace larkspur::test {

namespace {

std::string nativeSeparators(std::string path) {
  for (char& c : path) {
    if (c == '/' || c == '\\')
      c = platform::kPathDelimiter;
  }
  return path;
}

} // namespace

std::string sharedDir() {
  const char* fromEnvironment = std::getenv("LARKSPUR_SHARED_DIR");
  std::string dir = fromEnvironment != nullptr && *fromEnvironment != '\0' ? fromEnvironment
                                                                           : LARKSPUR_SHARED_DIR;
  dir = nativeSeparators(dir);
  while (dir.size() > 1 && dir.back() == platform::kPathDelimiter)
    dir.pop_back();
  return dir;
}

std::string sharedPath(const std::string& relative) {
  return sharedDir() + platform::kPathDelimiter + nativeSeparators(relative);
}

} // namespace larkspur::test
