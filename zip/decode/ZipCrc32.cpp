#include "ZipCrc32.h"

#include <array>

#include "CpuFeatures.h"
#include "ZipCrc32Clmul.h"

namespace talu::zip {
namespace {

using Tables = std::array<std::array<std::uint32_t, 256>, 8>;

// tables[0] is the classic byte table; tables[k][b] advances b by k further zero bytes.
constexpr Tables MakeTables() {
  Tables t{};
  for (std::uint32_t b = 0; b < 256; ++b) {
    std::uint32_t c = b;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[0][b] = c;
  }
  for (std::size_t b = 0; b < 256; ++b) {
    for (std::size_t k = 1; k < 8; ++k) t[k][b] = t[0][t[k - 1][b] & 0xFF] ^ (t[k - 1][b] >> 8);
  }
  return t;
}

constexpr Tables kTables = MakeTables();

std::uint32_t Load32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

const std::array<std::uint32_t, 256> kCrc32Table = kTables[0];

std::uint32_t CRC32(std::uint32_t crc, const void* buffer, std::size_t length) {
  if (length >= kCrc32ClmulMinimum && crypto::CpuFeatures().Clmul) {
    const std::size_t folded = length & ~std::size_t{15};
    crc = CRC32Clmul(crc, static_cast<const std::uint8_t*>(buffer), folded);
    buffer = static_cast<const std::uint8_t*>(buffer) + folded;
    length -= folded;
  }
  return CRC32Tables(crc, buffer, length);
}

std::uint32_t CRC32Tables(std::uint32_t crc, const void* buffer, std::size_t length) {
  const auto* p = static_cast<const std::uint8_t*>(buffer);
  for (; length >= 8; length -= 8, p += 8) {
    const std::uint32_t lo = Load32(p) ^ crc;
    const std::uint32_t hi = Load32(p + 4);
    crc = kTables[7][lo & 0xFF] ^ kTables[6][(lo >> 8) & 0xFF] ^ kTables[5][(lo >> 16) & 0xFF] ^
          kTables[4][lo >> 24] ^ kTables[3][hi & 0xFF] ^ kTables[2][(hi >> 8) & 0xFF] ^
          kTables[1][(hi >> 16) & 0xFF] ^ kTables[0][hi >> 24];
  }
  for (; length > 0; --length) crc = kTables[0][(crc ^ *p++) & 0xFF] ^ (crc >> 8);
  return crc;
}

}  // namespace talu::zip
