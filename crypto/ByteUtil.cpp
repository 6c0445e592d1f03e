#include "ByteUtil.h"

namespace talu::crypto {

void ProtectBuffer(void* Buffer, std::size_t Size) {
  volatile std::uint8_t* p = static_cast<volatile std::uint8_t*>(Buffer);
  for (std::uint8_t pattern : {0xFF, 0x55, 0xAA, 0x00}) {
    for (std::size_t i = 0; i < Size; ++i) p[i] = pattern;
  }
}

bool ConstantTimeEqual(const std::uint8_t* A, const std::uint8_t* B, std::size_t Size) {
  std::uint8_t difference = 0;
  for (std::size_t i = 0; i < Size; ++i) difference |= A[i] ^ B[i];
  return difference == 0;
}

}  // namespace talu::crypto
