#include "ZipCrc32Clmul.h"

#include <immintrin.h>

namespace talu::zip {
namespace {

#define TALU_CLMUL __attribute__((target("pclmul,sse4.1")))

// Fold constants: x^(4*128+32) and x^(4*128-32) mod P for four lanes, x^(128+32) and
// x^(128-32) for one, x^64 for the last 64 bits, and P' with mu for the Barrett reduction.
TALU_CLMUL inline __m128i Constants(std::uint64_t low, std::uint64_t high) {
  return _mm_set_epi64x(static_cast<long long>(high), static_cast<long long>(low));
}

TALU_CLMUL inline __m128i Fold(__m128i x, __m128i k, __m128i next) {
  const __m128i lo = _mm_clmulepi64_si128(x, k, 0x00);
  const __m128i hi = _mm_clmulepi64_si128(x, k, 0x11);
  return _mm_xor_si128(_mm_xor_si128(lo, hi), next);
}

TALU_CLMUL inline __m128i Load(const std::uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

}  // namespace

TALU_CLMUL std::uint32_t CRC32Clmul(std::uint32_t crc, const std::uint8_t* data,
                                    std::size_t length) {
  const __m128i k1k2 = Constants(0x154442bd4, 0x1c6e41596);
  const __m128i k3k4 = Constants(0x1751997d0, 0x0ccaa009e);
  const __m128i k5 = Constants(0x163cd6124, 0);
  const __m128i poly = Constants(0x1db710641, 0x1f7011641);
  const __m128i mask32 = Constants(0xFFFFFFFF, 0);

  __m128i x1 = _mm_xor_si128(Load(data), _mm_cvtsi32_si128(static_cast<int>(crc)));
  __m128i x2 = Load(data + 16), x3 = Load(data + 32), x4 = Load(data + 48);
  data += 64;
  length -= 64;
  for (; length >= 64; data += 64, length -= 64) {
    x1 = Fold(x1, k1k2, Load(data));
    x2 = Fold(x2, k1k2, Load(data + 16));
    x3 = Fold(x3, k1k2, Load(data + 32));
    x4 = Fold(x4, k1k2, Load(data + 48));
  }
  x1 = Fold(x1, k3k4, x2);
  x1 = Fold(x1, k3k4, x3);
  x1 = Fold(x1, k3k4, x4);
  for (; length >= 16; data += 16, length -= 16) x1 = Fold(x1, k3k4, Load(data));

  // 128 bits to 64, then to 32 with 32 zero bits appended.
  x1 = _mm_xor_si128(_mm_clmulepi64_si128(k3k4, x1, 0x01), _mm_srli_si128(x1, 8));
  const __m128i shifted = _mm_srli_si128(x1, 4);
  x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, mask32), k5, 0x00), shifted);
  // Barrett reduction, bit-reflected.
  const __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x1, mask32), poly, 0x10);
  const __m128i r = _mm_clmulepi64_si128(_mm_and_si128(t, mask32), poly, 0x00);
  return static_cast<std::uint32_t>(_mm_extract_epi32(_mm_xor_si128(r, x1), 1));
}

}  // namespace talu::zip
