// SHA-1 compression, FIPS 180-4 section 6.1.2, in portable C++.
#include <bit>

#include "ByteUtil.h"
#include "CpuFeatures.h"
#include "Sha1Compress.h"

namespace talu::crypto {

namespace {

// Twenty rounds sharing one round function f and constant k, over the state v = a..e.
template <typename RoundFunction>
void TwentyRounds(std::uint32_t (&v)[5], const std::uint32_t* w, std::uint32_t k, RoundFunction f) {
  for (int t = 0; t < 20; ++t) {
    const std::uint32_t temp = std::rotl(v[0], 5) + f(v[1], v[2], v[3]) + v[4] + k + w[t];
    v[4] = v[3];
    v[3] = v[2];
    v[2] = std::rotl(v[1], 30);
    v[1] = v[0];
    v[0] = temp;
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

void CompressBlock(std::uint32_t* State, const std::uint8_t* Block) {
  std::uint32_t w[80];
  for (int t = 0; t < 16; ++t) w[t] = LoadBE32(Block + 4 * t);
  for (int t = 16; t < 80; ++t) w[t] = std::rotl(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);
  std::uint32_t v[5] = {State[0], State[1], State[2], State[3], State[4]};
  TwentyRounds(v, w, 0x5A827999, Choose);
  TwentyRounds(v, w + 20, 0x6ED9EBA1, Parity);
  TwentyRounds(v, w + 40, 0x8F1BBCDC, Majority);
  TwentyRounds(v, w + 60, 0xCA62C1D6, Parity);
  for (int i = 0; i < 5; ++i) State[i] += v[i];
}

}  // namespace

void Sha1CompressPortable(std::uint32_t* State, const std::uint8_t* Blocks, std::size_t Count) {
  for (std::size_t i = 0; i < Count; ++i) CompressBlock(State, Blocks + i * kSha1BlockLen);
}

void Sha1Compress(std::uint32_t* State, const std::uint8_t* Blocks, std::size_t Count) {
  if (CpuFeatures().Sha) {
    Sha1CompressShaNi(State, Blocks, Count);
  } else {
    Sha1CompressPortable(State, Blocks, Count);
  }
}

}  // namespace talu::crypto
