// The groups of checks the shell host runs against the registered extension. `work` is a
// folder (ending in "\") where they may create files.
#pragma once

#include <string>

namespace larkspur::wine {

void RunMenuChecks(const std::string& work);
void RunHelpTextChecks(const std::string& work);
void RunCommandChecks(const std::string& work);
void RunLifetimeChecks();
// The compress commands end to end; `work` holds the folders compress.sh prepared.
void RunCompressChecks(const std::string& work);

// Creates an empty file (and returns its path).
std::string TouchFile(const std::string& path);

} // namespace larkspur::wine
