// Where the tests find the shared data beside the repository (vectors, corpora).
#pragma once

#include <string>

namespace larkspur::test {

// The shared folder without a trailing separator: the environment variable
// LARKSPUR_SHARED_DIR when set, else the folder known at build time.
std::string sharedDir();
// sharedDir() joined with a relative path written with "/" (native separators in the result).
std::string sharedPath(const std::string& relative);

} // namespace larkspur::test
