// AES as a TCipher: the portable code or AES-NI, whichever the processor allows.
#include "AesCore.h"
#include "CpuFeatures.h"
#include "ZipCipher.h"

namespace talu::crypto {

namespace {

// FIPS 197, appendix C.1.
constexpr std::uint8_t kTestKey[16] = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07,
                                       0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F};
constexpr std::uint8_t kTestPlain[16] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
                                         0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
constexpr std::uint8_t kTestCipher[16] = {0x69, 0xC4, 0xE0, 0xD8, 0x6A, 0x7B, 0x04, 0x30,
                                          0xD8, 0xCD, 0xB7, 0x80, 0x70, 0xB4, 0xC5, 0x5A};

}  // namespace

TCipherContext TCipher_Rijndael::Context() {
  return {kAesBlockLen, kAesMaxKeyLen, kAesScheduleLen};
}

TCipher_Rijndael::TCipher_Rijndael() : TCipher(Context()) {}

TCipher_Rijndael::TCipher_Rijndael(TBytes& Key) : TCipher_Rijndael() {
  if (!Key.empty()) InitKey(Key);
}

const TCipherTestVector& TCipher_Rijndael::TestVector() const {
  static const TCipherTestVector vector = {kTestKey, kTestPlain, kTestCipher};
  return vector;
}

void TCipher_Rijndael::Encode(std::uint8_t* Data) {
  if (CpuFeatures().Aes) {
    AesEncryptAesNi(User(), FRounds, Data);
  } else {
    AesEncryptPortable(User(), FRounds, Data);
  }
}

void TCipher_Rijndael::Decode(std::uint8_t* Data) {
  if (CpuFeatures().Aes) {
    AesDecryptAesNi(User(), FRounds, Data);
  } else {
    AesDecryptPortable(User(), FRounds, Data);
  }
}

void TCipher_Rijndael::Init(const std::uint8_t* Key, std::size_t Size,
                            const std::uint8_t* IVector) {
  TCipher::Init(Key, Size, IVector);
  FRounds = AesExpandKey(Key, Size, User());
  InitEnd(IVector);
}

void TCipher_Rijndael::CounterModeBlocks(std::uint8_t* Nonce, const std::uint8_t* Source,
                                         std::uint8_t* Dest, std::size_t Blocks) {
  if (CpuFeatures().Aes) {
    AesCtrAesNi(User(), FRounds, Nonce, Source, Dest, Blocks);
  } else {
    TCipher::CounterModeBlocks(Nonce, Source, Dest, Blocks);
  }
}

}  // namespace talu::crypto
