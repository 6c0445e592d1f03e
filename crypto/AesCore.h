// AES block operations, FIPS 197, on a key schedule shared by the portable code and the AES-NI
// code: 480 bytes, the encryption round keys (bytes 0..239, in the standard's byte order)
// followed by the round keys of the equivalent inverse cipher (bytes 240..479).
#pragma once

#include <cstddef>
#include <cstdint>

namespace talu::crypto {

constexpr std::size_t kAesBlockLen = 16;
constexpr std::size_t kAesMaxKeyLen = 32;
constexpr std::size_t kAesScheduleLen = 480;
constexpr std::size_t kAesDecryptKeysOffset = 240;

// Schedules the key from Key[0, min(KeyLen, 32)), zero-padded to 16, 24 or 32 bytes; returns the
// number of rounds (10, 12 or 14).
int AesExpandKey(const std::uint8_t* Key, std::size_t KeyLen, std::uint8_t* Schedule);

void AesEncryptPortable(const std::uint8_t* Schedule, int Rounds, std::uint8_t* Block);
void AesDecryptPortable(const std::uint8_t* Schedule, int Rounds, std::uint8_t* Block);

// The same with AES-NI; callers check CpuFeatures().Aes first.
void AesEncryptAesNi(const std::uint8_t* Schedule, int Rounds, std::uint8_t* Block);
void AesDecryptAesNi(const std::uint8_t* Schedule, int Rounds, std::uint8_t* Block);

// Counter mode over Blocks whole blocks: for each, the little-endian counter in Nonce[0, 8) is
// incremented (wrapping, Nonce[8, 16) untouched), encrypted, and XORed into Source to give Dest.
void AesCtrAesNi(const std::uint8_t* Schedule, int Rounds, std::uint8_t* Nonce,
                 const std::uint8_t* Source, std::uint8_t* Dest, std::size_t Blocks);

}  // namespace talu::crypto
