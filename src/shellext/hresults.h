// The HRESULT values the extension reports, spelled out so the portable model can return them
// and be tested without the Windows headers (the Win32 side checks they match).
#pragma once

#include <cstdint>

namespace larkspur::shell {

using HResult = std::int32_t;

inline constexpr HResult hrOk = 0;                                         // S_OK
inline constexpr HResult hrFalse = 1;                                      // S_FALSE
inline constexpr HResult hrFail = static_cast<HResult>(0x80004005);        // E_FAIL
inline constexpr HResult hrInvalidArg = static_cast<HResult>(0x80070057);  // E_INVALIDARG
inline constexpr HResult hrNoInterface = static_cast<HResult>(0x80004002); // E_NOINTERFACE
inline constexpr HResult hrPointer = static_cast<HResult>(0x80004003);     // E_POINTER
inline constexpr HResult hrUnexpected = static_cast<HResult>(0x8000FFFF);  // E_UNEXPECTED
inline constexpr HResult hrClassNotAvailable =
    static_cast<HResult>(0x80040111); // CLASS_E_CLASSNOTAVAILABLE
inline constexpr HResult hrNoAggregation =
    static_cast<HResult>(0x80040110); // CLASS_E_NOAGGREGATION

// A success code whose code field carries `count` (what QueryContextMenu answers).
constexpr HResult successCode(std::uint16_t count) {
  return count;
}

} // namespace larkspur::shell
