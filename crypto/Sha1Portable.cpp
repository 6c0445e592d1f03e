// SHA-1 compression, FIPS 180-4 section 6.1.2, in portable C++. Independent messages may be
// compressed in lanes side by side, round by round, so the processor overlaps their work.
#include <bit>

#include "ByteUtil.h"
#include "CpuFeatures.h"
#include "Sha1Compress.h"

namespace talu::crypto {
namespace {

constexpr int kRounds = 80;

// The words of one lane: the five state words a..e and the expanded message.
struct TLane {
  std::uint32_t v[kSha1DigestWords];
  std::uint32_t w[kRounds];
};

// Twenty rounds from round First on, sharing one round function f and constant k, on each lane.
template <int N, typename RoundFunction>
void TwentyRounds(TLane (&lanes)[N], int First, std::uint32_t k, RoundFunction f) {
  for (int t = First; t < First + 20; ++t) {
    for (TLane& l : lanes) {
      std::uint32_t* v = l.v;
      const std::uint32_t temp = std::rotl(v[0], 5) + f(v[1], v[2], v[3]) + v[4] + k + l.w[t];
      v[4] = v[3];
      v[3] = v[2];
      v[2] = std::rotl(v[1], 30);
      v[1] = v[0];
      v[0] = temp;
    }
  }
}

// Lambdas, so that each group of rounds gets its own inlined instantiation.
constexpr auto Choose = [](std::uint32_t b, std::uint32_t c, std::uint32_t d) {
  return (b & c) | (~b & d);
};
constexpr auto Parity = [](std::uint32_t b, std::uint32_t c, std::uint32_t d) { return b ^ c ^ d; };
constexpr auto Majority = [](std::uint32_t b, std::uint32_t c, std::uint32_t d) {
  return (b & c) | (b & d) | (c & d);
};

// Compresses the block in the first 16 message words of each lane into the chaining value
// Start[lane], giving Out[lane] (which may be Start).
template <int N>
void CompressLanes(const TSha1Words* Start, TLane (&lanes)[N], TSha1Words* Out) {
  for (int k = 0; k < N; ++k) {
    std::uint32_t* w = lanes[k].w;
    for (int t = 16; t < kRounds; ++t)
      w[t] = std::rotl(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);
    for (std::size_t i = 0; i < kSha1DigestWords; ++i) lanes[k].v[i] = Start[k][i];
  }
  TwentyRounds(lanes, 0, 0x5A827999, Choose);
  TwentyRounds(lanes, 20, 0x6ED9EBA1, Parity);
  TwentyRounds(lanes, 40, 0x8F1BBCDC, Majority);
  TwentyRounds(lanes, 60, 0xCA62C1D6, Parity);
  for (int k = 0; k < N; ++k) {
    for (std::size_t i = 0; i < kSha1DigestWords; ++i) Out[k][i] = Start[k][i] + lanes[k].v[i];
  }
}

// The block that ends a message of one key block and the digest D: D's five words, the padding
// bit, zeros, and the message length in bits.
void DigestBlock(const TSha1Words& D, std::uint32_t* w) {
  for (std::size_t i = 0; i < kSha1DigestWords; ++i) w[i] = D[i];
  w[5] = 0x80000000;
  for (int i = 6; i < 15; ++i) w[i] = 0;
  w[15] = (kSha1BlockLen + kSha1DigestWords * 4) * 8;
}

template <int N>
void HmacChains(const TSha1Words& Inner, const TSha1Words& Outer, TSha1Words* U, TSha1Words* T,
                std::uint32_t Count) {
  TSha1Words inner[N], outer[N];
  for (int k = 0; k < N; ++k) inner[k] = Inner, outer[k] = Outer;
  TLane lanes[N];
  for (std::uint32_t i = 0; i < Count; ++i) {
    for (int k = 0; k < N; ++k) DigestBlock(U[k], lanes[k].w);
    CompressLanes(inner, lanes, U);
    for (int k = 0; k < N; ++k) DigestBlock(U[k], lanes[k].w);
    CompressLanes(outer, lanes, U);
    for (int k = 0; k < N; ++k) {
      for (std::size_t j = 0; j < kSha1DigestWords; ++j) T[k][j] ^= U[k][j];
    }
  }
  ProtectBuffer(lanes, sizeof lanes);  // they hold the last HMACs' inner digests
}

}  // namespace

void Sha1CompressPortable(std::uint32_t* State, const std::uint8_t* Blocks, std::size_t Count) {
  TSha1Words state;
  for (std::size_t i = 0; i < kSha1DigestWords; ++i) state[i] = State[i];
  TLane lane[1];
  for (std::size_t b = 0; b < Count; ++b, Blocks += kSha1BlockLen) {
    for (int t = 0; t < 16; ++t) lane[0].w[t] = LoadBE32(Blocks + 4 * t);
    CompressLanes(&state, lane, &state);
  }
  for (std::size_t i = 0; i < kSha1DigestWords; ++i) State[i] = state[i];
}

void Sha1HmacChainsPortable(const TSha1Words& Inner, const TSha1Words& Outer, TSha1Words* U,
                            TSha1Words* T, std::size_t Lanes, std::uint32_t Count) {
  for (; Lanes >= 2; Lanes -= 2, U += 2, T += 2) HmacChains<2>(Inner, Outer, U, T, Count);
  if (Lanes == 1) HmacChains<1>(Inner, Outer, U, T, Count);
}

void Sha1Compress(std::uint32_t* State, const std::uint8_t* Blocks, std::size_t Count) {
  if (CpuFeatures().Sha) {
    Sha1CompressShaNi(State, Blocks, Count);
  } else {
    Sha1CompressPortable(State, Blocks, Count);
  }
}

void Sha1HmacChains(const TSha1Words& Inner, const TSha1Words& Outer, TSha1Words* U, TSha1Words* T,
                    std::size_t Lanes, std::uint32_t Count) {
  if (CpuFeatures().Sha) {
    Sha1HmacChainsShaNi(Inner, Outer, U, T, Lanes, Count);
  } else {
    Sha1HmacChainsPortable(Inner, Outer, U, T, Lanes, Count);
  }
}

}  // namespace talu::crypto
