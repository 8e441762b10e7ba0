// System error texts and FILETIME conversions shared by the Win32 implementation files.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace larkspur::platform::win32 {

// The system's message for an error code, without the trailing line break.
std::string systemReason(DWORD code);
// A last-write FILETIME (UTC) as a local DOS date/time; years DOS cannot hold are clamped.
std::uint32_t dosTimeOfFileTime(const FILETIME& utc);

} // namespace larkspur::platform::win32
