// CRC-32 by folding with carry-less multiplication (PCLMULQDQ), the method of Intel's paper
// "Fast CRC Computation for Generic Polynomials Using PCLMULQDQ Instruction", for the reflected
// polynomial 0xEDB88320.
#pragma once

#include <cstddef>
#include <cstdint>

namespace talu::zip {

inline constexpr std::size_t kCrc32ClmulMinimum = 64;

// The running CRC (no inversion) over `length` bytes: at least 64 and a multiple of 16. Only
// for processors with PCLMULQDQ and SSE4.1.
std::uint32_t CRC32Clmul(std::uint32_t crc, const std::uint8_t* data, std::size_t length);

}  // namespace talu::zip
