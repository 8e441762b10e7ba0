// CRC-32 by folding: four 128-bit accumulators take 64 bytes per step, each folded forward over
// 512 bits by carry-less multiplication with x^(512±32) mod P, then folded into one and over
// the remaining 16-byte blocks; the last 16 bytes of remainder and the tail go through the
// table. Folding keeps the residue modulo P, so the register equals the bytewise one.
#include "deflate/crc32_clmul.h"

#include "deflate/crc32.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define LARKSPUR_CLMUL 1
#endif

namespace larkspur::deflate {

#if LARKSPUR_CLMUL

bool cpu_has_clmul() {
  static const bool has = [] {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    return __get_cpuid(1, &eax, &ebx, &ecx, &edx) != 0 && (ecx & bit_PCLMUL) != 0;
  }();
  return has;
}

namespace {

// Bit-reflected x^(512+32), x^(512-32), x^(128+32) and x^(128-32) modulo the CRC polynomial.
constexpr long long kFold4Low = 0x154442BD4, kFold4High = 0x1C6E41596;
constexpr long long kFold1Low = 0x1751997D0, kFold1High = 0x0CCAA009E;

__attribute__((target("pclmul"))) inline __m128i fold(__m128i x, __m128i k) {
  return _mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11));
}

inline __m128i load128(const std::uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

} // namespace

__attribute__((target("pclmul"))) std::uint32_t
update_crc_clmul(std::uint32_t crc, const std::uint8_t* bytes, std::size_t count) {
  // The register enters as if XOR-ed into the first four bytes, with a zero register.
  __m128i x0 = _mm_xor_si128(load128(bytes), _mm_cvtsi32_si128(int(crc)));
  __m128i x1 = load128(bytes + 16);
  __m128i x2 = load128(bytes + 32);
  __m128i x3 = load128(bytes + 48);
  bytes += 64;
  count -= 64;
  const __m128i k4 = _mm_set_epi64x(kFold4High, kFold4Low);
  while (count >= 64) {
    x0 = _mm_xor_si128(fold(x0, k4), load128(bytes));
    x1 = _mm_xor_si128(fold(x1, k4), load128(bytes + 16));
    x2 = _mm_xor_si128(fold(x2, k4), load128(bytes + 32));
    x3 = _mm_xor_si128(fold(x3, k4), load128(bytes + 48));
    bytes += 64;
    count -= 64;
  }
  const __m128i k1 = _mm_set_epi64x(kFold1High, kFold1Low);
  __m128i x = _mm_xor_si128(fold(x0, k1), x1);
  x = _mm_xor_si128(fold(x, k1), x2);
  x = _mm_xor_si128(fold(x, k1), x3);
  while (count >= 16) {
    x = _mm_xor_si128(fold(x, k1), load128(bytes));
    bytes += 16;
    count -= 16;
  }
  alignas(16) std::uint8_t rest[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(rest), x);
  std::uint32_t reg = 0;
  for (std::uint8_t b : rest)
    reg = crc_byte(reg, b);
  while (count-- != 0)
    reg = crc_byte(reg, *bytes++);
  return reg;
}

#else

bool cpu_has_clmul() {
  return false;
}

std::uint32_t update_crc_clmul(std::uint32_t crc, const std::uint8_t*, std::size_t) {
  return crc;
}

#endif

} // namespace larkspur::deflate
