// PBKDF2, RFC 8018 section 5.2, with HMAC as the pseudo-random function: over any registered
// hash, and over SHA-1 as AES archive items derive their keys (RFC 2898).
#pragma once

#include <cstdint>

#include "ZipHash.h"

namespace talu::crypto {

enum TKdfError : int {
  kdf_err_OK = 0,
  kdf_err_nil_pointer = 1,  // no hash descriptor
  kdf_err_digestlen = 2,    // the hash has a digest length of zero
};

// Fills DK[0, dkLen) with PBKDF2 of password pPW and salt under C iterations (counts below 1
// count as 1). Returns kdf_err_OK or a TKdfError.
int Pbkdf2(PHashDesc phash, const void* pPW, std::uint16_t pLen, const void* salt,
           std::uint16_t sLen, std::uint32_t C, void* DK, std::uint16_t dkLen);

// The same over SHA-1. Ends the program with exit code 254 if SHA-1 is not registered, which
// cannot happen in a correctly built program.
void Pbkdf2HmacSha1(const void* pPW, std::uint16_t pLen, const void* salt, std::uint16_t sLen,
                    std::uint32_t C, void* DK, std::uint16_t dkLen);

}  // namespace talu::crypto
