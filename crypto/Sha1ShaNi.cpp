// SHA-1 compression (FIPS 180-4) with the x86 SHA extensions. Only this file is compiled for
// them, through function attributes; callers check CpuFeatures().Sha first.
#include <immintrin.h>

#include <utility>

#include "Sha1Compress.h"

namespace talu::crypto {

#define TALU_TARGET_SHA __attribute__((target("sha,sse4.1"), always_inline)) inline

namespace {

// Four rounds, group G of 20. Before them the message words of the group are expanded from the
// previous four groups (w holds them in a ring) for G >= 4. e carries the state word a of the
// previous group, which sha1nexte turns into this group's e.
template <int G>
TALU_TARGET_SHA void FourRounds(__m128i& abcd, __m128i& e, __m128i (&w)[4]) {
  __m128i& words = w[G % 4];
  if constexpr (G >= 4) {
    words = _mm_sha1msg1_epu32(words, w[(G + 1) % 4]);
    words = _mm_sha1msg2_epu32(_mm_xor_si128(words, w[(G + 2) % 4]), w[(G + 3) % 4]);
  }
  const __m128i e_plus_w = G == 0 ? _mm_add_epi32(e, words) : _mm_sha1nexte_epu32(e, words);
  e = abcd;
  abcd = _mm_sha1rnds4_epu32(abcd, e_plus_w, G / 5);
}

template <int... G>
TALU_TARGET_SHA void EightyRounds(std::integer_sequence<int, G...>, __m128i& abcd, __m128i& e,
                                  __m128i (&w)[4]) {
  (FourRounds<G>(abcd, e, w), ...);
}

}  // namespace

__attribute__((target("sha,sse4.1"))) void Sha1CompressShaNi(std::uint32_t* State,
                                                             const std::uint8_t* Blocks,
                                                             std::size_t Count) {
  const __m128i byte_reverse = _mm_set_epi64x(0x0001020304050607LL, 0x08090A0B0C0D0E0FLL);
  __m128i abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(State)), 0x1B);
  __m128i e = _mm_set_epi32(static_cast<int>(State[4]), 0, 0, 0);
  for (std::size_t i = 0; i < Count; ++i, Blocks += kSha1BlockLen) {
    const __m128i abcd_before = abcd, e_before = e;
    __m128i w[4];
    for (int k = 0; k < 4; ++k) {
      w[k] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(Blocks) + k),
                              byte_reverse);
    }
    EightyRounds(std::make_integer_sequence<int, 20>(), abcd, e, w);
    e = _mm_sha1nexte_epu32(e, e_before);
    abcd = _mm_add_epi32(abcd, abcd_before);
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(State), _mm_shuffle_epi32(abcd, 0x1B));
  State[4] = static_cast<std::uint32_t>(_mm_extract_epi32(e, 3));
}

}  // namespace talu::crypto
