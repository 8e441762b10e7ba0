// SHA-256 of a byte string as lowercase hex: how tests record whole archives in a few
// characters and still notice a single changed byte.
#pragma once

#include <string>
#include <string_view>

namespace larkspur::test {

std::string sha256Hex(std::string_view bytes);

} // namespace larkspur::test
