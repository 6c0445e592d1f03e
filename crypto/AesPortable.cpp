// AES (Rijndael with 128-bit blocks), FIPS 197, in portable C++: key expansion (section 5.2)
// and table-driven rounds. The tables are computed at compile time from the field arithmetic.
#include <algorithm>
#include <array>
#include <bit>

#include "AesCore.h"
#include "ByteUtil.h"

namespace talu::crypto {

namespace {

using TByteTable = std::array<std::uint8_t, 256>;
using TRoundTable = std::array<std::array<std::uint32_t, 256>, 4>;

// Multiplication in GF(2^8) modulo x^8 + x^4 + x^3 + x + 1.
constexpr std::uint8_t GfMul(std::uint8_t a, std::uint8_t b) {
  std::uint8_t product = 0;
  for (; b; b >>= 1) {
    if (b & 1) product ^= a;
    a = static_cast<std::uint8_t>((a << 1) ^ ((a & 0x80) ? 0x1B : 0));
  }
  return product;
}

// a^254 by square-and-multiply (few steps, within every compiler's constexpr budget); 0 maps
// to 0.
constexpr std::uint8_t GfInverse(std::uint8_t a) {
  std::uint8_t result = 1;
  for (int exponent = 254; exponent; exponent >>= 1) {
    if (exponent & 1) result = GfMul(result, a);
    a = GfMul(a, a);
  }
  return result;
}

constexpr TByteTable MakeSBox() {
  TByteTable box{};
  for (int x = 0; x < 256; ++x) {
    const std::uint8_t b = GfInverse(static_cast<std::uint8_t>(x));
    box[x] = static_cast<std::uint8_t>(b ^ std::rotl(b, 1) ^ std::rotl(b, 2) ^ std::rotl(b, 3) ^
                                       std::rotl(b, 4) ^ 0x63);
  }
  return box;
}

constexpr TByteTable MakeInverse(const TByteTable& box) {
  TByteTable inverse{};
  for (int x = 0; x < 256; ++x) inverse[box[x]] = static_cast<std::uint8_t>(x);
  return inverse;
}

// Table r maps a byte to its column of (Sub)MixColumns, rotated right by 8r bits.
constexpr TRoundTable MakeRoundTable(const TByteTable& box, const std::uint8_t (&mix)[4]) {
  TRoundTable table{};
  for (int x = 0; x < 256; ++x) {
    std::uint32_t column = 0;
    for (std::uint8_t m : mix) column = column << 8 | GfMul(box[x], m);
    for (int r = 0; r < 4; ++r) table[r][x] = std::rotr(column, 8 * r);
  }
  return table;
}

constexpr TByteTable kSBox = MakeSBox();
constexpr TByteTable kInvSBox = MakeInverse(kSBox);
constexpr std::uint8_t kMixColumns[4] = {2, 1, 1, 3};
constexpr std::uint8_t kInvMixColumns[4] = {14, 9, 13, 11};
constexpr TRoundTable kEncryptTable = MakeRoundTable(kSBox, kMixColumns);
constexpr TRoundTable kDecryptTable = MakeRoundTable(kInvSBox, kInvMixColumns);

// A direction of the cipher: its tables and the row shift (1 forward, 3 for the inverse).
struct TDirection {
  const TRoundTable& Table;
  const TByteTable& Box;
  int Shift;
};

void CryptBlock(const TDirection& dir, const std::uint8_t* roundKeys, int rounds,
                std::uint8_t* block) {
  std::uint32_t s[4], t[4];
  for (int j = 0; j < 4; ++j) s[j] = LoadBE32(block + 4 * j) ^ LoadBE32(roundKeys + 4 * j);
  for (int r = 1; r < rounds; ++r) {
    for (int j = 0; j < 4; ++j) {
      t[j] = dir.Table[0][s[j] >> 24] ^ dir.Table[1][(s[(j + dir.Shift) % 4] >> 16) & 0xFF] ^
             dir.Table[2][(s[(j + 2) % 4] >> 8) & 0xFF] ^
             dir.Table[3][s[(j + 3 * dir.Shift) % 4] & 0xFF] ^ LoadBE32(roundKeys + 16 * r + 4 * j);
    }
    std::copy_n(t, 4, s);
  }
  for (int j = 0; j < 4; ++j) {
    const std::uint32_t last = std::uint32_t{dir.Box[s[j] >> 24]} << 24 |
                               std::uint32_t{dir.Box[(s[(j + dir.Shift) % 4] >> 16) & 0xFF]} << 16 |
                               std::uint32_t{dir.Box[(s[(j + 2) % 4] >> 8) & 0xFF]} << 8 |
                               dir.Box[s[(j + 3 * dir.Shift) % 4] & 0xFF];
    StoreBE32(block + 4 * j, last ^ LoadBE32(roundKeys + 16 * rounds + 4 * j));
  }
}

std::uint32_t SubWord(std::uint32_t w) {
  return std::uint32_t{kSBox[w >> 24]} << 24 | std::uint32_t{kSBox[(w >> 16) & 0xFF]} << 16 |
         std::uint32_t{kSBox[(w >> 8) & 0xFF]} << 8 | kSBox[w & 0xFF];
}

// InvMixColumns of one round-key word, for the equivalent inverse cipher (FIPS 197, 5.3.5).
std::uint32_t InvMixColumn(std::uint32_t w) {
  return kDecryptTable[0][kSBox[w >> 24]] ^ kDecryptTable[1][kSBox[(w >> 16) & 0xFF]] ^
         kDecryptTable[2][kSBox[(w >> 8) & 0xFF]] ^ kDecryptTable[3][kSBox[w & 0xFF]];
}

void MakeDecryptKeys(const std::uint32_t* w, int rounds, std::uint8_t* out) {
  for (int r = 0; r <= rounds; ++r) {
    const std::uint32_t* source = w + 4 * (rounds - r);
    for (int j = 0; j < 4; ++j) {
      const bool outer = r == 0 || r == rounds;
      StoreBE32(out + 16 * r + 4 * j, outer ? source[j] : InvMixColumn(source[j]));
    }
  }
}

}  // namespace

int AesExpandKey(const std::uint8_t* Key, std::size_t KeyLen, std::uint8_t* Schedule) {
  KeyLen = std::min(KeyLen, kAesMaxKeyLen);
  const int nk = KeyLen <= 16 ? 4 : KeyLen <= 24 ? 6 : 8;
  const int rounds = nk + 6;
  std::uint8_t padded[kAesMaxKeyLen] = {};
  std::copy_n(Key, KeyLen, padded);
  std::uint32_t w[4 * 15];
  std::uint32_t rcon = 0x01000000;
  for (int i = 0; i < 4 * (rounds + 1); ++i) {
    if (i < nk) {
      w[i] = LoadBE32(padded + 4 * i);
      continue;
    }
    std::uint32_t temp = w[i - 1];
    if (i % nk == 0) {
      temp = SubWord(std::rotl(temp, 8)) ^ rcon;
      rcon = std::uint32_t{GfMul(static_cast<std::uint8_t>(rcon >> 24), 2)} << 24;
    } else if (nk > 6 && i % nk == 4) {
      temp = SubWord(temp);
    }
    w[i] = w[i - nk] ^ temp;
  }
  for (int i = 0; i < 4 * (rounds + 1); ++i) StoreBE32(Schedule + 4 * i, w[i]);
  MakeDecryptKeys(w, rounds, Schedule + kAesDecryptKeysOffset);
  ProtectBuffer(padded, sizeof padded);
  ProtectBuffer(w, sizeof w);
  return rounds;
}

void AesEncryptPortable(const std::uint8_t* Schedule, int Rounds, std::uint8_t* Block) {
  CryptBlock({kEncryptTable, kSBox, 1}, Schedule, Rounds, Block);
}

void AesDecryptPortable(const std::uint8_t* Schedule, int Rounds, std::uint8_t* Block) {
  CryptBlock({kDecryptTable, kInvSBox, 3}, Schedule + kAesDecryptKeysOffset, Rounds, Block);
}

}  // namespace talu::crypto
