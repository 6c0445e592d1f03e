// Byte buffers and the small byte-level helpers shared by the crypto units: endian-explicit
// loads and stores built from shifts, XOR of buffers, and wiping of secret material.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace talu::crypto {

// An owned byte buffer (keys, salts, derived material).
using TBytes = std::vector<std::uint8_t>;

inline std::uint32_t LoadBE32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

inline void StoreBE32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 24);
  p[1] = static_cast<std::uint8_t>(v >> 16);
  p[2] = static_cast<std::uint8_t>(v >> 8);
  p[3] = static_cast<std::uint8_t>(v);
}

inline void StoreBE64(std::uint8_t* p, std::uint64_t v) {
  StoreBE32(p, static_cast<std::uint32_t>(v >> 32));
  StoreBE32(p + 4, static_cast<std::uint32_t>(v));
}

inline std::uint64_t LoadLE64(const std::uint8_t* p) {
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = v << 8 | p[i];
  return v;
}

inline void StoreLE64(std::uint8_t* p, std::uint64_t v) {
  for (int i = 0; i < 8; ++i, v >>= 8) p[i] = static_cast<std::uint8_t>(v);
}

// Dest[i] = A[i] ^ B[i]; Dest may be A or B.
inline void XORBuffers(const std::uint8_t* A, const std::uint8_t* B, std::size_t Size,
                       std::uint8_t* Dest) {
  for (std::size_t i = 0; i < Size; ++i) Dest[i] = A[i] ^ B[i];
}

// Whether A and B hold the same Size bytes, in a time that does not depend on where they differ.
bool ConstantTimeEqual(const std::uint8_t* A, const std::uint8_t* B, std::size_t Size);

// Overwrites secret material several times, last with zeros, in a way the optimiser keeps.
void ProtectBuffer(void* Buffer, std::size_t Size);

}  // namespace talu::crypto
