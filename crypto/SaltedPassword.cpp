#include "SaltedPassword.h"

#include <algorithm>
#include <random>
#include <stdexcept>

#include "Pbkdf2.h"

namespace talu::crypto {

namespace {

// Salt bytes from the system's non-deterministic source: two objects made in the same clock tick
// must not share a salt, or items encrypted under one password would share key and key stream.
TBytes RandomSalt(std::uint16_t Size) {
  std::random_device source;
  std::uniform_int_distribution<int> byte_value(0, 254);
  TBytes salt(Size);
  for (auto& b : salt) b = static_cast<std::uint8_t>(byte_value(source));
  return salt;
}

}  // namespace

TSaltedPassword::TSaltedPassword(std::string Password, int Iterations, std::uint16_t SaltSize)
    : FIterationNumber(Iterations),
      FSaltValue(RandomSalt(SaltSize)),
      FPassword(std::move(Password)) {}

TSaltedPassword::TSaltedPassword(std::string Password, int Iterations, std::uint16_t SaltLength,
                                 const std::uint8_t* Salt)
    : FIterationNumber(Iterations),
      FSaltValue(Salt, Salt + SaltLength),
      FPassword(std::move(Password)) {}

TSaltedPassword::~TSaltedPassword() {
  ProtectBuffer(FPassword.data(), FPassword.size());
}

TBytes TSaltedPassword::GetKeyBytes(std::uint16_t Cb) const {
  if (FPassword.size() > kMaxPasswordLen) {
    throw std::length_error("PBKDF2 password longer than 32767 bytes");
  }
  TBytes key(Cb);
  const auto iterations = static_cast<std::uint32_t>(std::max(FIterationNumber, 1));
  Pbkdf2HmacSha1(FPassword.data(), static_cast<std::uint16_t>(FPassword.size()), FSaltValue.data(),
                 static_cast<std::uint16_t>(FSaltValue.size()), iterations, key.data(), Cb);
  return key;
}

}  // namespace talu::crypto
