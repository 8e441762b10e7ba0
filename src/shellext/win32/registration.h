// Carries out the registry plan with the ANSI registry functions.
#pragma once

#include <string>

namespace larkspur::shell {

// Writes every entry in order; raises larkspur::Error "Error creating system registry entry" at
// the first key or value that cannot be written, leaving the earlier ones in place.
void RegisterServer(const std::string& clsid);
// Deletes the server's keys, ignoring every key that cannot be deleted.
void UnregisterServer(const std::string& clsid, const std::string& progId);

} // namespace larkspur::shell
