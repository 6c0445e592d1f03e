// Traditional PKWARE stream cipher, decryption side (the APPNOTE's "traditional encryption").
//
// Usage: ZipKeyInit(password, keys, header) decrypts the 12-byte encryption header and leaves
// the keys ready; ZipDecryptBuffer then decrypts the item's data in place, chunk after chunk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace talu::zip {

// Key0, Key1, Key2 of the cipher.
struct TZipKeys {
  uint32_t key[3];
};

constexpr size_t kZipEncryptionHeaderSize = 12;

void ZipUpdateKeys(uint8_t c, TZipKeys& keys);
uint8_t ZipDecryptByte(const TZipKeys& keys);
void ZipDecryptBuffer(uint8_t* buffer, size_t len, TZipKeys& keys);

// Keys from the password's bytes, then the header decrypted in place with them.
void ZipKeyInit(std::string_view password, TZipKeys& keys,
                uint8_t (&header)[kZipEncryptionHeaderSize]);

// The byte the decrypted header must end with: the CRC's high byte, or the modification time's
// high byte when general-purpose flag bit 3 says the CRC follows the data.
uint8_t ZipExpectedCheckByte(uint16_t flags, uint16_t time, uint32_t crc);

// The password check of an item: ZipKeyInit, then whether the header ends with the check byte
// of the item's flags, time and CRC.
bool ZipPasswordFits(std::string_view password, TZipKeys& keys,
                     uint8_t (&header)[kZipEncryptionHeaderSize], uint16_t flags, uint16_t time,
                     uint32_t crc);

}  // namespace talu::zip
