#include "ZipKeyDeriv.h"

#include <cstdlib>

#include "ZipPbKdf.h"

namespace {
constexpr int kRunErrorKdf = 254;
}

void PBKDF2(const void* pPW, std::uint16_t pLen, const void* salt, std::uint16_t sLen,
            std::uint32_t C, void* DK, std::uint16_t dkLen) {
  if (kdf2(FindHash_by_ID(_SHA1), pPW, pLen, salt, sLen, C, DK, dkLen) != kdf_err_OK) {
    std::exit(kRunErrorKdf);
  }
}
