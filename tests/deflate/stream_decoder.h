// A small, strict inflater for the tests: it decodes a raw Deflate stream and records every
// block's form, code lengths and symbols, so tests can check the parse and the block choices
// and not only the round trip. It rejects anything RFC 1951 does not allow.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace larkspur::deflate::test {

struct TSymbol {
  int literalOrLength; // the byte of a literal, the length of a match
  int distance;        // 0 for a literal
  bool operator==(const TSymbol&) const = default;
};

inline TSymbol literal(int byte) {
  return {byte, 0};
}
inline TSymbol match(int length, int distance) {
  return {length, distance};
}

enum class TBlockForm { Stored = 0, Fixed = 1, Dynamic = 2 };

struct TDecodedBlock {
  TBlockForm form{};
  bool last = false;
  std::vector<TSymbol> symbols; // without the end of block
  std::vector<int> litLengths;  // dynamic blocks: code lengths as sent
  std::vector<int> distLengths;
  std::vector<int> codeLengthLengths; // lengths of the code-length code, by symbol
  std::vector<int> zeroRuns;          // dynamic blocks: the count of every symbol-18 run
  std::size_t storedLength = 0;
  std::size_t endBit = 0; // bit position just behind the block
};

struct TDecodedStream {
  std::vector<TDecodedBlock> blocks;
  std::vector<std::uint8_t> data;
  std::size_t bitsUsed = 0;
};

class EBadStream : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Decodes the whole stream; throws EBadStream on any fault, including bytes after the end.
TDecodedStream decodeStream(const std::vector<std::uint8_t>& stream);

} // namespace larkspur::deflate::test
