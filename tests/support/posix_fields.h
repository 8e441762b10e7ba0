// Undoes what the writer adds on POSIX hosts and nothing else, so an archive written natively
// can be compared byte for byte with one recorded before those fields existed: the "made by"
// host byte, the mode in the external attributes' high 16 bits and the extended timestamp
// extra field (0x5455) in both headers, with every offset after them moved back.
#pragma once

#include <string>
#include <string_view>

namespace larkspur::test {

// The archive without the POSIX fields. Throws std::runtime_error when the archive is not laid
// out as the writer lays out a single-file archive (entries back to back from offset 0, then
// the directory, then the end record), since the result could not then be exact.
std::string withoutPosixFields(std::string_view archive);

} // namespace larkspur::test
