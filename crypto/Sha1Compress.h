// The SHA-1 compression function over whole 64-byte blocks (FIPS 180-4, 6.1.2), in a portable
// form and in one using the processor's SHA instructions; both give identical results.
#pragma once

#include <cstddef>
#include <cstdint>

namespace talu::crypto {

constexpr std::size_t kSha1BlockLen = 64;

void Sha1CompressPortable(std::uint32_t* State, const std::uint8_t* Blocks, std::size_t Count);
void Sha1CompressShaNi(std::uint32_t* State, const std::uint8_t* Blocks, std::size_t Count);

// Runs the fastest form the processor allows.
void Sha1Compress(std::uint32_t* State, const std::uint8_t* Blocks, std::size_t Count);

}  // namespace talu::crypto
