// CRC-32 of ISO 3309 / IEEE 802.3 (reflected polynomial 0xEDB88320), table-driven, eight bytes
// per step for long runs.
#pragma once

#include <cstddef>
#include <cstdint>

namespace talu::zip {

// One table step over `length` bytes, with no inversion before or after.
std::uint32_t CRC32(std::uint32_t crc, const void* buffer, std::size_t length);
// The one-byte step: table[(crc xor b) and 0xFF] xor (crc shr 8).
std::uint32_t UpdCRC(std::uint8_t b, std::uint32_t crc);
// The finished CRC-32 of a whole buffer (initial value and result inverted).
inline std::uint32_t ZipCrc32Of(const void* buffer, std::size_t length) {
  return ~CRC32(0xFFFFFFFFu, buffer, length);
}

}  // namespace talu::zip
