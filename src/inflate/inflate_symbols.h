// The fixed alphabets of a Deflate stream: what each length and distance symbol means, the order
// of the code-length code's lengths, and the fixed Huffman code lengths.
#pragma once

#include <array>
#include <cstdint>

namespace larkspur::inflate {

// Literal/length symbols 0-255 are bytes, 256 ends the block, 257-285 are lengths.
inline constexpr unsigned kEndOfBlock = 256;
inline constexpr unsigned kFirstLengthSymbol = 257;
// Symbols a dynamic header may describe; 286 and 287 exist only in the fixed code and are invalid.
inline constexpr unsigned kMaxLitLenSymbols = 286;
inline constexpr unsigned kMaxDistanceSymbols = 30;
inline constexpr unsigned kFixedLitLenSymbols = 288;
inline constexpr unsigned kFixedDistanceSymbols = 32;
inline constexpr unsigned kCodeLengthSymbols = 19;
// The longest code any of the three alphabets may use.
inline constexpr unsigned kMaxCodeLength = 15;
inline constexpr unsigned kMaxCodeLengthCodeLength = 7;
// History a distance may reach back into, and the longest match.
inline constexpr unsigned kWindowSize = 32768;
inline constexpr unsigned kMaxMatch = 258;

struct SymbolMeaning {
  std::uint16_t base;
  std::uint8_t extraBits;
};

inline constexpr std::array<SymbolMeaning, 29> kLengthSymbols = {{
    {3, 0},  {4, 0},  {5, 0},  {6, 0},   {7, 0},   {8, 0},   {9, 0},   {10, 0},  {11, 1},  {13, 1},
    {15, 1}, {17, 1}, {19, 2}, {23, 2},  {27, 2},  {31, 2},  {35, 3},  {43, 3},  {51, 3},  {59, 3},
    {67, 4}, {83, 4}, {99, 4}, {115, 4}, {131, 5}, {163, 5}, {195, 5}, {227, 5}, {258, 0},
}};
static_assert(kFirstLengthSymbol + kLengthSymbols.size() == kMaxLitLenSymbols);

inline constexpr std::array<SymbolMeaning, kMaxDistanceSymbols> kDistanceSymbols = {{
    {1, 0},     {2, 0},     {3, 0},     {4, 0},      {5, 1},      {7, 1},
    {9, 2},     {13, 2},    {17, 3},    {25, 3},     {33, 4},     {49, 4},
    {65, 5},    {97, 5},    {129, 6},   {193, 6},    {257, 7},    {385, 7},
    {513, 8},   {769, 8},   {1025, 9},  {1537, 9},   {2049, 10},  {3073, 10},
    {4097, 11}, {6145, 11}, {8193, 12}, {12289, 12}, {16385, 13}, {24577, 13},
}};
static_assert(kDistanceSymbols.back().base + (1u << kDistanceSymbols.back().extraBits) - 1 ==
              kWindowSize);

// The order in which a dynamic header lists the code-length code's lengths.
inline constexpr std::array<std::uint8_t, kCodeLengthSymbols> kCodeLengthOrder = {
    16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

} // namespace larkspur::inflate
