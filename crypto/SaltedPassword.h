// One password, salt and iteration count, and the PBKDF2-HMAC-SHA1 key material they give.
// Usage: TSaltedPassword gen(password, 1000, salt_len, salt); TBytes keys = gen.GetKeyBytes(66);
#pragma once

#include <cstdint>
#include <string>

#include "ByteUtil.h"

namespace talu::crypto {

class TSaltedPassword {
 public:
  // Passwords longer than this are refused (std::length_error from GetKeyBytes).
  static constexpr std::size_t kMaxPasswordLen = 32767;

  // A fresh random salt of SaltSize bytes, each from 0 to 254.
  TSaltedPassword(std::string Password, int Iterations, std::uint16_t SaltSize);
  // A copy of the SaltLength bytes at Salt.
  TSaltedPassword(std::string Password, int Iterations, std::uint16_t SaltLength,
                  const std::uint8_t* Salt);
  ~TSaltedPassword();
  TSaltedPassword(const TSaltedPassword&) = delete;
  TSaltedPassword& operator=(const TSaltedPassword&) = delete;

  // Cb bytes of PBKDF2 output for the password, salt and iteration count.
  TBytes GetKeyBytes(std::uint16_t Cb) const;
  // A new copy of the salt.
  TBytes GetSaltValue() const { return FSaltValue; }
  int IterationCount() const { return FIterationNumber; }

 private:
  int FIterationNumber;
  TBytes FSaltValue;
  std::string FPassword;
};

}  // namespace talu::crypto
