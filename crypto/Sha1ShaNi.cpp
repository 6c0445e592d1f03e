// SHA-1 compression (FIPS 180-4) with the x86 SHA extensions. Only this file is compiled for
// them, through function attributes; callers check CpuFeatures().Sha first.
//
// One compression is a chain of twenty sha1rnds4 steps, each waiting for the one before, so a
// single message leaves most of the unit idle. The HMAC chains of PBKDF2 are independent of each
// other, so two of them advance here step by step in one instruction stream. Two fill the unit:
// four measured slower, their states no longer fitting in the vector registers.
#include <immintrin.h>

#include <utility>

#include "Sha1Compress.h"

#define TALU_TARGET_SHA __attribute__((target("sha,sse4.1"), always_inline)) inline

namespace talu::crypto {
namespace {

// The state of one SHA-1 computation: abcd holds a in its top lane and d in its bottom one, e
// holds e in its top lane.
struct TShaNiState {
  __m128i abcd;
  __m128i e;
};

// Four rounds, group G of 20, on each of N lanes. Before them the message words of the group are
// expanded from the previous four groups (w holds them in a ring) for G >= 4. e carries the state
// word a of the previous group, which sha1nexte turns into this group's e.
template <int G, int N>
TALU_TARGET_SHA void FourRounds(TShaNiState (&s)[N], __m128i (&w)[N][4]) {
  for (int k = 0; k < N; ++k) {
    __m128i& words = w[k][G % 4];
    if constexpr (G >= 4) {
      words = _mm_sha1msg1_epu32(words, w[k][(G + 1) % 4]);
      words = _mm_sha1msg2_epu32(_mm_xor_si128(words, w[k][(G + 2) % 4]), w[k][(G + 3) % 4]);
    }
    const __m128i e_plus_w =
        G == 0 ? _mm_add_epi32(s[k].e, words) : _mm_sha1nexte_epu32(s[k].e, words);
    s[k].e = s[k].abcd;
    s[k].abcd = _mm_sha1rnds4_epu32(s[k].abcd, e_plus_w, G / 5);
  }
}

template <int N, int... G>
TALU_TARGET_SHA void EightyRounds(std::integer_sequence<int, G...>, TShaNiState (&s)[N],
                                  __m128i (&w)[N][4]) {
  (FourRounds<G>(s, w), ...);
}

// Compresses one block per lane into the lane's state Start[k * StartStep], giving Out (which may
// be Start): a step of 0 starts every lane from the same state.
template <int N, int StartStep>
TALU_TARGET_SHA void CompressLanes(const TShaNiState* Start, __m128i (&w)[N][4],
                                   TShaNiState (&Out)[N]) {
  TShaNiState s[N];
  for (int k = 0; k < N; ++k) s[k] = Start[k * StartStep];
  EightyRounds(std::make_integer_sequence<int, 20>(), s, w);
  for (int k = 0; k < N; ++k) {
    const TShaNiState& start = Start[k * StartStep];
    Out[k].e = _mm_sha1nexte_epu32(s[k].e, start.e);
    Out[k].abcd = _mm_add_epi32(s[k].abcd, start.abcd);
  }
}

TALU_TARGET_SHA TShaNiState LoadState(const std::uint32_t* State) {
  return {_mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(State)), 0x1B),
          _mm_set_epi32(static_cast<int>(State[4]), 0, 0, 0)};
}

TALU_TARGET_SHA void StoreState(const TShaNiState& s, std::uint32_t* State) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(State), _mm_shuffle_epi32(s.abcd, 0x1B));
  State[4] = static_cast<std::uint32_t>(_mm_extract_epi32(s.e, 3));
}

// The block that ends a message of one key block and a digest: the digest's five words, the
// padding bit, zeros, and the message length in bits. A state's registers are already its
// digest's first words in message order.
TALU_TARGET_SHA void DigestBlock(const TShaNiState& Digest, __m128i (&w)[4]) {
  constexpr int kPadBit = static_cast<int>(0x80000000u);
  constexpr int kBits = static_cast<int>((kSha1BlockLen + kSha1DigestWords * 4) * 8);
  w[0] = Digest.abcd;
  w[1] = _mm_blend_epi16(Digest.e, _mm_set_epi32(0, kPadBit, 0, 0), 0x3F);
  w[2] = _mm_setzero_si128();
  w[3] = _mm_set_epi32(0, 0, 0, kBits);
}

template <int N>
TALU_TARGET_SHA void HmacChains(const TShaNiState& Inner, const TShaNiState& Outer, TSha1Words* U,
                                TSha1Words* T, std::uint32_t Count) {
  TShaNiState u[N], t[N];
  for (int k = 0; k < N; ++k) {
    u[k] = LoadState(U[k].data());
    t[k] = LoadState(T[k].data());
  }
  __m128i w[N][4];
  for (std::uint32_t i = 0; i < Count; ++i) {
    for (int k = 0; k < N; ++k) DigestBlock(u[k], w[k]);
    CompressLanes<N, 0>(&Inner, w, u);
    for (int k = 0; k < N; ++k) DigestBlock(u[k], w[k]);
    CompressLanes<N, 0>(&Outer, w, u);
    for (int k = 0; k < N; ++k) {
      t[k].abcd = _mm_xor_si128(t[k].abcd, u[k].abcd);
      t[k].e = _mm_xor_si128(t[k].e, u[k].e);
    }
  }
  for (int k = 0; k < N; ++k) {
    StoreState(u[k], U[k].data());
    StoreState(t[k], T[k].data());
  }
}

}  // namespace

__attribute__((target("sha,sse4.1"))) void Sha1CompressShaNi(std::uint32_t* State,
                                                             const std::uint8_t* Blocks,
                                                             std::size_t Count) {
  const __m128i byte_reverse = _mm_set_epi64x(0x0001020304050607LL, 0x08090A0B0C0D0E0FLL);
  TShaNiState s[1] = {LoadState(State)};
  for (std::size_t i = 0; i < Count; ++i, Blocks += kSha1BlockLen) {
    __m128i w[1][4];
    for (int k = 0; k < 4; ++k) {
      w[0][k] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(Blocks) + k),
                                 byte_reverse);
    }
    CompressLanes<1, 1>(s, w, s);
  }
  StoreState(s[0], State);
}

__attribute__((target("sha,sse4.1"))) void Sha1HmacChainsShaNi(const TSha1Words& Inner,
                                                               const TSha1Words& Outer,
                                                               TSha1Words* U, TSha1Words* T,
                                                               std::size_t Lanes,
                                                               std::uint32_t Count) {
  const TShaNiState inner = LoadState(Inner.data()), outer = LoadState(Outer.data());
  for (; Lanes >= 2; Lanes -= 2, U += 2, T += 2) HmacChains<2>(inner, outer, U, T, Count);
  if (Lanes == 1) HmacChains<1>(inner, outer, U, T, Count);
}

}  // namespace talu::crypto
