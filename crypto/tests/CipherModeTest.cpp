// The cipher modes, the MAC modes, cipher errors and the protection chain.
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "CryptoTestUtil.h"
#include "ZipCipher.h"

namespace talu::crypto {
namespace {

const TBytes kKey = Hex("2b7e151628aed2a6abf7158809cf4f3c");
const TBytes kIv = Hex("000102030405060708090a0b0c0d0e0f");

struct TModeCase {
  const char* Name;
  TCipherMode Mode;
};

const TModeCase kAllModes[] = {
    {"CTS", cmCTS},       {"CBC", cmCBC},       {"CFB", cmCFB},
    {"OFB", cmOFB},       {"CTR", cmCTR},       {"ECB", cmECB},
    {"CTSMAC", cmCTSMAC}, {"CBCMAC", cmCBCMAC}, {"CFBMAC", cmCFBMAC},
};

std::unique_ptr<TCipher_Rijndael> MakeCipher(TCipherMode mode) {
  auto aes = std::make_unique<TCipher_Rijndael>();
  aes->Init(kKey.data(), kKey.size(), kIv.data());
  aes->SetMode(mode);
  return aes;
}

TBytes Sample(std::size_t size) {
  TBytes data(size);
  for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<std::uint8_t>(i * 31 + 7);
  return data;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

using CipherModeTest = CodePathTest;

TEST_P(CipherModeTest, EveryModeDecodesWhatItEncodedAtAnyLength) {
  for (const auto& m : kAllModes) {
    SCOPED_TRACE(m.Name);
    for (std::size_t size : {0, 1, 15, 16, 17, 32, 33, 100}) {
      const TBytes plain = Sample(size);
      TBytes data = plain;
      auto encoder = MakeCipher(m.Mode), decoder = MakeCipher(m.Mode);
      encoder->EncodeBuffer(data.data(), data.data(), size);
      if (size > 0) {
        EXPECT_NE(data, plain) << size;
      }
      decoder->DecodeBuffer(data.data(), data.data(), size);
      EXPECT_EQ(data, plain) << size;
    }
  }
}

TEST_P(CipherModeTest, ByteWiseModesGiveTheSameBytesInPieces) {
  for (TCipherMode mode : {cmCFB, cmOFB, cmCTR}) {
    const TBytes plain = Sample(50);
    TBytes whole(50), pieces(50);
    MakeCipher(mode)->EncodeBuffer(plain.data(), whole.data(), 50);
    auto aes = MakeCipher(mode);
    for (std::size_t done = 0, n = 1; done < 50;
         done += n, n = std::min<std::size_t>(n + 3, 50 - done)) {
      aes->EncodeBuffer(plain.data() + done, pieces.data() + done, std::min(n, 50 - done));
    }
    EXPECT_EQ(pieces, whole) << mode;
  }
}

TEST_P(CipherModeTest, CbcChainsEachBlockIntoTheNext) {
  // NIST SP 800-38A, F.2.1, first two blocks.
  const TBytes plain = Hex("6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51");
  TBytes data = plain;
  MakeCipher(cmCBC)->EncodeBuffer(data.data(), data.data(), data.size());
  EXPECT_EQ(ToHex(data), "7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2");
}

TEST_P(CipherModeTest, MacModesAgreeOnBothSidesAndSeeEveryByte) {
  for (TCipherMode mode : {cmCTSMAC, cmCBCMAC, cmCFBMAC}) {
    SCOPED_TRACE(mode);
    TBytes data = Sample(37);
    auto encoder = MakeCipher(mode), decoder = MakeCipher(mode), tampered = MakeCipher(mode);
    encoder->EncodeBuffer(data.data(), data.data(), data.size());
    const TBytes mac = encoder->CalcMAC();
    EXPECT_EQ(mac.size(), 16u);
    TBytes changed = data;
    changed.back() ^= 1;
    decoder->DecodeBuffer(data.data(), data.data(), data.size());
    EXPECT_EQ(decoder->CalcMAC(), mac);
    tampered->DecodeBuffer(changed.data(), changed.data(), changed.size());
    EXPECT_NE(tampered->CalcMAC(), mac);
  }
}

INSTANTIATE_CODE_PATHS(CipherModeTest);

TEST(CipherErrorTest, UseBeforeKeyingRaisesNotInitialized) {
  TCipher_Rijndael aes;
  std::uint8_t data[16] = {};
  try {
    aes.DecodeBuffer(data, data, sizeof data);
    FAIL() << "no exception";
  } catch (const ECipherException& e) {
    EXPECT_EQ(e.ErrorCode(), errNotInitialized);
    EXPECT_STREQ(e.what(), "TCipher_Rijndael is not initialized call Init() or InitKey() before.");
  }
  EXPECT_THROW(aes.EncodeBuffer(data, data, 0), ECipherException);
}

TEST(CipherErrorTest, ProtectWipesTheKey) {
  auto aes = MakeCipher(cmCTR);
  aes->Protect();
  EXPECT_FALSE(aes->Initialized());
  std::uint8_t data[4] = {};
  EXPECT_THROW(aes->EncodeBuffer(data, data, 4), ECipherException);
}

TEST(CipherErrorTest, MacOutsideTheMacModesIsRefused) {
  for (TCipherMode mode : {cmCTS, cmCBC, cmCFB, cmOFB, cmCTR, cmECB}) {
    try {
      MakeCipher(mode)->CalcMAC();
      ADD_FAILURE() << "no exception in mode " << mode;
    } catch (const ECipherException& e) {
      EXPECT_EQ(e.ErrorCode(), errInvalidMACMode);
    }
  }
}

TEST(CipherKeyTest, TextPasswordKeysWithItsSha1Digest) {
  TCipher_Rijndael from_text, from_digest;
  from_text.InitKey(std::string("abc"));
  // SHA-1("abc"), 20 key bytes.
  const TBytes digest = Hex("a9993e364706816aba3e25717850c26c9cd0d89d");
  from_digest.Init(digest.data(), digest.size(), nullptr);
  TBytes a(16, 0), b(16, 0);
  from_text.Encode(a.data());
  from_digest.Encode(b.data());
  EXPECT_EQ(a, b);
  EXPECT_TRUE(from_text.KeySet());
}

TEST(ProtectionChainTest, CircularChainIsRefused) {
  auto a = std::shared_ptr<TCipher>(MakeCipher(cmCBC));
  auto b = std::shared_ptr<TCipher>(MakeCipher(cmCFB));
  b->SetProtection(a);
  try {
    a->SetProtection(b);
    FAIL() << "no exception";
  } catch (const EProtection& e) {
    EXPECT_STREQ(e.what(), "Circular Protection detected, Protection Object is invalid.");
  }
  EXPECT_THROW(a->SetProtection(a), EProtection);
  EXPECT_EQ(a->Protection(), nullptr);
}

TEST(ProtectionChainTest, ChainDecodesWhatItEncodedInReverseOrder) {
  auto outer = std::shared_ptr<TCipher>(MakeCipher(cmCBC));
  outer->SetProtection(std::shared_ptr<TCipher>(MakeCipher(cmOFB)));
  const std::string plain = "a message of forty-one bytes, or so it is";
  const std::string coded = outer->CodeString(plain, paEncode);
  EXPECT_NE(coded, plain);
  std::string single = plain;
  MakeCipher(cmCBC)->EncodeBuffer(single.data(), single.data(), single.size());
  EXPECT_NE(coded, single) << "the chained cipher ran too";
  EXPECT_EQ(outer->CodeString(coded, paDecode), plain);
  EXPECT_EQ(outer->CodeString(plain, paCalc), plain);
}

TEST(ProtectionChainTest, StreamsAndFilesAreCodedWhole) {
  auto aes = MakeCipher(cmCTR);
  const std::string plain(200000, 'x');
  std::istringstream in(plain);
  std::ostringstream coded;
  EXPECT_EQ(aes->CodeStream(in, coded, 1000000, paEncode), plain.size());
  const auto dir = std::filesystem::temp_directory_path();
  const auto source = dir / "talu_crypto_plain.bin", dest = dir / "talu_crypto_coded.bin";
  std::ofstream(source, std::ios::binary) << plain;
  MakeCipher(cmCTR)->CodeFile(source, dest, paEncode);
  EXPECT_EQ(ReadFile(dest), coded.str());
  EXPECT_THROW(aes->CodeFile(source, source, paEncode), EProtection);
  std::filesystem::remove(source);
  std::filesystem::remove(dest);
}

}  // namespace
}  // namespace talu::crypto
