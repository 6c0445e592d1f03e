// CRC-32 of ISO 3309 / IEEE 802.3 (reflected polynomial 0xEDB88320), table-driven, eight bytes
// per step for long runs.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace talu::zip {

// The byte table (entry 1 is 0x77073096).
extern const std::array<std::uint32_t, 256> kCrc32Table;

// One table step over `length` bytes, with no inversion before or after. Long runs use the
// processor's carry-less multiply when it has one; the result is the same.
std::uint32_t CRC32(std::uint32_t crc, const void* buffer, std::size_t length);
// The one-byte step: table[(crc xor b) and 0xFF] xor (crc shr 8). Inline: the traditional
// cipher takes two of them per byte.
inline std::uint32_t UpdCRC(std::uint8_t b, std::uint32_t crc) {
  return kCrc32Table[(crc ^ b) & 0xFF] ^ (crc >> 8);
}
// The table method alone, for tests and for the short ends of long runs.
std::uint32_t CRC32Tables(std::uint32_t crc, const void* buffer, std::size_t length);
// The finished CRC-32 of a whole buffer (initial value and result inverted).
inline std::uint32_t ZipCrc32Of(const void* buffer, std::size_t length) {
  return ~CRC32(0xFFFFFFFFu, buffer, length);
}

}  // namespace talu::zip
