// AES (FIPS 197) and its counter mode as the archive engine uses it.
#include "CryptoTestUtil.h"
#include "ZipCipher.h"

namespace talu::crypto {
namespace {

struct TAesVector {
  const char* Name;
  TBytes Key;
  const char* Cipher;
};

const TBytes kFipsPlain = Hex("00112233445566778899aabbccddeeff");

// FIPS 197, appendix C.
const TAesVector kFips197[] = {
    {"AES-128", Hex("000102030405060708090a0b0c0d0e0f"), "69c4e0d86a7b0430d8cdb78070b4c55a"},
    {"AES-192", Hex("000102030405060708090a0b0c0d0e0f1011121314151617"),
     "dda97ca4864cdfe06eaf70a0ec0d7191"},
    {"AES-256", Hex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f"),
     "8ea2b7ca516745bfeafc49904b496089"},
};

const TBytes kKey256 = kFips197[2].Key;

// A cipher keyed with the plain key bytes, for computing expected key-stream blocks.
struct TReference {
  explicit TReference(const TBytes& key) { aes.Init(key.data(), key.size(), nullptr); }
  // The encryption of the counter block whose first eight bytes hold counter, little-endian.
  TBytes KeyStream(std::uint64_t counter) {
    TBytes block(16, 0);
    StoreLE64(block.data(), counter);
    aes.Encode(block.data());
    return block;
  }
  TCipher_Rijndael aes;
};

TBytes CtrCipher(const TBytes& key, const TBytes& data, std::initializer_list<std::size_t> pieces) {
  TBytes key_copy = key, out(data.size());
  TCipher_Rijndael aes(key_copy);
  aes.SetMode(cmCTR);
  std::size_t done = 0;
  for (std::size_t piece : pieces) {
    aes.DecodeBuffer(data.data() + done, out.data() + done, piece);
    done += piece;
  }
  aes.DecodeBuffer(data.data() + done, out.data() + done, data.size() - done);
  return out;
}

using AesTest = CodePathTest;

TEST_P(AesTest, Fips197BlockExamples) {
  for (const auto& v : kFips197) {
    SCOPED_TRACE(v.Name);
    TCipher_Rijndael aes;
    aes.Init(v.Key.data(), v.Key.size(), nullptr);
    TBytes block = kFipsPlain;
    aes.Encode(block.data());
    EXPECT_EQ(ToHex(block), v.Cipher);
    aes.Decode(block.data());
    EXPECT_EQ(block, kFipsPlain);
  }
}

TEST_P(AesTest, CounterRunsLittleEndianInTheFirstEightBytes) {
  constexpr std::size_t kBlocks = 65537;
  const TBytes stream = CtrCipher(kKey256, TBytes(16 * kBlocks, 0), {});
  TReference ref(kKey256);
  for (std::uint64_t counter : {1, 2, 8, 9, 255, 256, 257, 65535, 65536, 65537}) {
    const TBytes block(stream.begin() + 16 * (counter - 1), stream.begin() + 16 * counter);
    EXPECT_EQ(ToHex(block), ToHex(ref.KeyStream(counter))) << "counter " << counter;
  }
}

TEST_P(AesTest, ChunkedCounterModeEqualsOneCall) {
  TBytes data(300);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 13 + 5);
  const TBytes whole = CtrCipher(kKey256, data, {});
  EXPECT_EQ(CtrCipher(kKey256, data, {1, 15, 84}), whole);
  EXPECT_EQ(CtrCipher(kKey256, data, {1, 15, 16, 17, 3, 129}), whole);
  for (std::size_t split = 0; split <= data.size(); ++split) {
    ASSERT_EQ(CtrCipher(kKey256, data, {split}), whole) << "split at " << split;
  }
}

TEST_P(AesTest, KeyingReplacesTheKeyByItsEncryption) {
  for (const auto& v : kFips197) {
    SCOPED_TRACE(v.Name);
    TBytes key = v.Key;
    TCipher_Rijndael aes(key);
    EXPECT_TRUE(aes.KeySet());
    EXPECT_EQ(key.size(), v.Key.size());
    EXPECT_NE(key, v.Key);
    // One CTS pass under the new key with the encryption of a zero block as initial vector.
    TBytes expected = v.Key;
    TCipher_Rijndael cts;
    cts.Init(v.Key.data(), v.Key.size(), nullptr);
    cts.EncodeBuffer(expected.data(), expected.data(), expected.size());
    EXPECT_EQ(key, expected);
    // The schedule is that of the plain key, and the counter starts at one.
    aes.SetMode(cmCTR);
    TBytes block(16, 0);
    aes.EncodeBuffer(block.data(), block.data(), 16);
    EXPECT_EQ(block, TReference(v.Key).KeyStream(1));
  }
}

INSTANTIATE_CODE_PATHS(AesTest);

}  // namespace
}  // namespace talu::crypto
