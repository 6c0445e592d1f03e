// AES (FIPS 197) with the x86 AES instructions. Only this file is compiled for them, through
// function attributes; callers check CpuFeatures().Aes first. Counter mode keeps several blocks
// in flight so the pipelined AES units stay busy.
#include <immintrin.h>

#include <cstring>

#include "AesCore.h"
#include "ByteUtil.h"

namespace talu::crypto {

#define TALU_TARGET_AES __attribute__((target("aes,sse4.1")))

namespace {

// Eight blocks where there are sixteen vector registers (x86-64), four with eight (i686).
constexpr std::size_t kCtrLanes = sizeof(void*) == 8 ? 8 : 4;

struct TRoundKeys {
  __m128i Key[15];
};

TALU_TARGET_AES inline TRoundKeys LoadRoundKeys(const std::uint8_t* keys, int rounds) {
  TRoundKeys loaded;
  for (int r = 0; r <= rounds; ++r) {
    loaded.Key[r] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(keys) + r);
  }
  return loaded;
}

template <std::size_t N>
TALU_TARGET_AES inline void EncryptLanes(const TRoundKeys& rk, int rounds, __m128i (&b)[N]) {
#pragma GCC unroll 8
  for (std::size_t i = 0; i < N; ++i) b[i] = _mm_xor_si128(b[i], rk.Key[0]);
  for (int r = 1; r < rounds; ++r) {
#pragma GCC unroll 8
    for (std::size_t i = 0; i < N; ++i) b[i] = _mm_aesenc_si128(b[i], rk.Key[r]);
  }
#pragma GCC unroll 8
  for (std::size_t i = 0; i < N; ++i) b[i] = _mm_aesenclast_si128(b[i], rk.Key[rounds]);
}

// N counter blocks after counter, encrypted and XORed into N blocks of Source.
template <std::size_t N>
TALU_TARGET_AES inline void CtrLanes(const TRoundKeys& rk, int rounds, std::uint64_t counter,
                                     std::int64_t high, const std::uint8_t* Source,
                                     std::uint8_t* Dest) {
  __m128i b[N];
#pragma GCC unroll 8
  for (std::size_t i = 0; i < N; ++i) {
    b[i] = _mm_set_epi64x(high, static_cast<std::int64_t>(counter + i + 1));
  }
  EncryptLanes(rk, rounds, b);
#pragma GCC unroll 8
  for (std::size_t i = 0; i < N; ++i) {
    const __m128i data = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Source) + i);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Dest) + i, _mm_xor_si128(b[i], data));
  }
}

}  // namespace

TALU_TARGET_AES void AesEncryptAesNi(const std::uint8_t* Schedule, int Rounds,
                                     std::uint8_t* Block) {
  const TRoundKeys rk = LoadRoundKeys(Schedule, Rounds);
  __m128i b[1] = {_mm_loadu_si128(reinterpret_cast<const __m128i*>(Block))};
  EncryptLanes(rk, Rounds, b);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(Block), b[0]);
}

TALU_TARGET_AES void AesDecryptAesNi(const std::uint8_t* Schedule, int Rounds,
                                     std::uint8_t* Block) {
  const auto* keys = reinterpret_cast<const __m128i*>(Schedule + kAesDecryptKeysOffset);
  __m128i b = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(Block)),
                            _mm_loadu_si128(keys));
  for (int r = 1; r < Rounds; ++r) b = _mm_aesdec_si128(b, _mm_loadu_si128(keys + r));
  b = _mm_aesdeclast_si128(b, _mm_loadu_si128(keys + Rounds));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(Block), b);
}

TALU_TARGET_AES void AesCtrAesNi(const std::uint8_t* Schedule, int Rounds, std::uint8_t* Nonce,
                                 const std::uint8_t* Source, std::uint8_t* Dest,
                                 std::size_t Blocks) {
  const TRoundKeys rk = LoadRoundKeys(Schedule, Rounds);
  std::uint64_t counter = LoadLE64(Nonce);
  std::int64_t high;
  std::memcpy(&high, Nonce + 8, sizeof high);
  for (; Blocks >= kCtrLanes; Blocks -= kCtrLanes, counter += kCtrLanes) {
    CtrLanes<kCtrLanes>(rk, Rounds, counter, high, Source, Dest);
    Source += kCtrLanes * kAesBlockLen;
    Dest += kCtrLanes * kAesBlockLen;
  }
  for (; Blocks > 0; --Blocks, ++counter) {
    CtrLanes<1>(rk, Rounds, counter, high, Source, Dest);
    Source += kAesBlockLen;
    Dest += kAesBlockLen;
  }
  StoreLE64(Nonce, counter);
}

}  // namespace talu::crypto
