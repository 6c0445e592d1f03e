// The SHA-1 compression function over whole 64-byte blocks (FIPS 180-4, 6.1.2), in a portable
// form and in one using the processor's SHA instructions; both give identical results.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace talu::crypto {

constexpr std::size_t kSha1BlockLen = 64;
constexpr std::size_t kSha1DigestWords = 5;

// A chaining value or digest as its five words a..e.
using TSha1Words = std::array<std::uint32_t, kSha1DigestWords>;

void Sha1CompressPortable(std::uint32_t* State, const std::uint8_t* Blocks, std::size_t Count);
void Sha1CompressShaNi(std::uint32_t* State, const std::uint8_t* Blocks, std::size_t Count);

// Runs the fastest form the processor allows.
void Sha1Compress(std::uint32_t* State, const std::uint8_t* Blocks, std::size_t Count);

// The iterations of PBKDF2-HMAC-SHA1 on Lanes independent output blocks. Inner and Outer are
// the chaining values after the key block XOR ipad and XOR opad. Count times, for each lane,
// U = HMAC(U), a digest hashed after the key block in two compressions, and T ^= U. The lanes are
// computed side by side, which keeps the processor busy where a single chain would wait.
void Sha1HmacChainsPortable(const TSha1Words& Inner, const TSha1Words& Outer, TSha1Words* U,
                            TSha1Words* T, std::size_t Lanes, std::uint32_t Count);
void Sha1HmacChainsShaNi(const TSha1Words& Inner, const TSha1Words& Outer, TSha1Words* U,
                         TSha1Words* T, std::size_t Lanes, std::uint32_t Count);

// Runs the fastest form the processor allows.
void Sha1HmacChains(const TSha1Words& Inner, const TSha1Words& Outer, TSha1Words* U, TSha1Words* T,
                    std::size_t Lanes, std::uint32_t Count);

}  // namespace talu::crypto
