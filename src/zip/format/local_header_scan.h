// The forward scan for the next local header in an archive whose directory cannot be read: the
// first step of rebuilding a directory from the local headers alone.
#pragma once

#include <functional>

#include "zip/format/stream.h"

namespace larkspur::zip {

// Bytes other than a signature's first byte that pass between two chances for the user
// interface to run (and to ask for a cancel) during a scan.
inline constexpr int kScanPumpInterval = 10240;

// A version needed to extract of 10.0 or more (high byte 10 and up) is taken for data that
// merely looks like a signature: no real archive needs it.
inline constexpr int kScanLargestVersionHighByte = 9;

// Scans forward from the stream's position for a local-header signature followed by a
// plausible version needed to extract. True with the stream on the signature; false at the end
// of the stream. `pump` runs after every kScanPumpInterval bytes that are not a first signature
// byte and may raise to stop the scan.
bool ScanForLocalHeader(TStream& stream, const std::function<void()>& pump);

} // namespace larkspur::zip
