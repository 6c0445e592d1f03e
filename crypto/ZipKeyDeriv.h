// PBKDF2 with HMAC-SHA1 (RFC 8018, RFC 2898), as AES archive items derive their keys.
#pragma once

#include <cstdint>

// Fills DK[0, dkLen) from password pPW and salt under C iterations. Ends the program with exit
// code 254 if SHA-1 is not registered, which cannot happen in a correctly built program.
void PBKDF2(const void* pPW, std::uint16_t pLen, const void* salt, std::uint16_t sLen,
            std::uint32_t C, void* DK, std::uint16_t dkLen);
