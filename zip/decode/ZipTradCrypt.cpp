#include "ZipTradCrypt.h"

#include "ZipCrc32.h"

namespace talu::zip {

void ZipUpdateKeys(uint8_t c, TZipKeys& keys) {
  keys.key[0] = UpdCRC(c, keys.key[0]);
  keys.key[1] = (keys.key[1] + (keys.key[0] & 0xFF)) * 134775813u + 1;
  keys.key[2] = UpdCRC(static_cast<uint8_t>(keys.key[1] >> 24), keys.key[2]);
}

uint8_t ZipDecryptByte(const TZipKeys& keys) {
  const uint32_t t = (keys.key[2] | 2) & 0xFFFF;
  return static_cast<uint8_t>((t * (t ^ 1)) >> 8);
}

// The keys live in locals for the loop: the cipher is byte-serial, so keeping its state in
// registers is what sets the speed.
void ZipDecryptBuffer(uint8_t* buffer, size_t len, TZipKeys& keys) {
  uint32_t k0 = keys.key[0], k1 = keys.key[1], k2 = keys.key[2];
  for (size_t i = 0; i < len; ++i) {
    const uint32_t t = (k2 | 2) & 0xFFFF;
    const uint8_t plain = buffer[i] ^ static_cast<uint8_t>((t * (t ^ 1)) >> 8);
    buffer[i] = plain;
    k0 = UpdCRC(plain, k0);
    k1 = (k1 + (k0 & 0xFF)) * 134775813u + 1;
    k2 = UpdCRC(static_cast<uint8_t>(k1 >> 24), k2);
  }
  keys = {{k0, k1, k2}};
}

void ZipKeyInit(std::string_view password, TZipKeys& keys,
                uint8_t (&header)[kZipEncryptionHeaderSize]) {
  keys = {{0x12345678u, 0x23456789u, 0x34567890u}};
  for (char c : password) ZipUpdateKeys(static_cast<uint8_t>(c), keys);
  ZipDecryptBuffer(header, kZipEncryptionHeaderSize, keys);
}

uint8_t ZipExpectedCheckByte(uint16_t flags, uint16_t time, uint32_t crc) {
  return (flags & 0x8) ? static_cast<uint8_t>(time >> 8) : static_cast<uint8_t>(crc >> 24);
}

bool ZipPasswordFits(std::string_view password, TZipKeys& keys,
                     uint8_t (&header)[kZipEncryptionHeaderSize], uint16_t flags, uint16_t time,
                     uint32_t crc) {
  ZipKeyInit(password, keys, header);
  return header[kZipEncryptionHeaderSize - 1] == ZipExpectedCheckByte(flags, time, crc);
}

}  // namespace talu::zip
